// Question pictures decoded ahead, on a worker thread, while the
// user-interface thread builds the controls of the pane: the system picture
// loader and the PNG decoding take about as long as the controls do, and the
// two can run side by side. Pictures are taken in any order; each message a
// picture brings is shown when it is taken, on the taking thread, as a load
// made there would have shown it.
#pragma once

#include <windows.h>

struct PicturePrefetch;

// Starts decoding the pictures with ids firstId ... firstId + count - 1, in
// that order, into the box; `type` must outlive the prefetch. Null when there is nothing to decode or no
// worker could be started; the take below then loads on the spot.
PicturePrefetch* StartPicturePrefetch(HINSTANCE module, int firstId, int count, const char* type,
                                      int boxWidth, int boxHeight);
// The picture with that id, fitted into the prefetch's box: decoded here if
// the worker has not reached it, else waited for while this thread decodes
// the next pictures nobody has claimed; shows its message if it has one and
// hands the bitmap over. An id outside the range, one taken before, or a null prefetch is
// loaded here and now with LoadPictureResource.
HBITMAP TakePrefetchedPicture(PicturePrefetch* prefetch, HINSTANCE module, int id, const char* type,
                              int boxWidth, int boxHeight);
// Stops the worker, waits for it to end, deletes the bitmaps never taken and
// frees the record. Null is accepted.
void EndPicturePrefetch(PicturePrefetch* prefetch);
