// The worker decodes the pictures in id order and publishes each result
// under the lock. A take whose picture the worker has not reached decodes it
// on the spot; one whose picture the worker is decoding decodes the next
// waiting one meanwhile. So the taking thread decodes only while it would
// otherwise wait, and only pictures it is about to take: the pane, which
// needs each row's pictures before it lays the row out, keeps building while
// the worker goes on. Each slot is claimed by one thread only. The worker
// shows nothing itself and keeps its own COM apartment, which it ends before
// it returns. Stopping is checked between pictures, so ending the prefetch
// waits at most for the picture being decoded.
#include "media/picture_prefetch.h"

#include <new>

#include "media/picture_loader.h"

namespace {

constexpr int kMaxPrefetched = 512;

enum SlotState : unsigned char {
  SlotWaiting,   // nobody has claimed it
  SlotDecoding,  // claimed by a thread that is decoding it
  SlotDone,      // its result is ready
  SlotTaken,     // handed over; a later take loads on the spot
};

struct Slot {
  PictureResult result;
  SlotState state;
};

}  // namespace

struct PicturePrefetch {
  HINSTANCE module;
  const char* type;
  int firstId;
  int count;
  int boxWidth;
  int boxHeight;
  SRWLOCK lock;  // guards the slots, next and stopping
  CONDITION_VARIABLE progress;
  int next;  // where the worker looks for its next slot; none before it waits
  bool stopping;
  HANDLE worker;
  Slot slots[kMaxPrefetched];
};

namespace {

PictureResult Decode(const PicturePrefetch* prefetch, int slot) {
  return DecodePictureResource(prefetch->module, prefetch->firstId + slot, prefetch->type, prefetch->boxWidth,
                               prefetch->boxHeight);
}

// Under the lock: the first waiting slot from `from` on, claimed, or -1.
int ClaimWaiting(PicturePrefetch* prefetch, int from) {
  for (int i = from; i < prefetch->count; ++i) {
    if (prefetch->slots[i].state == SlotWaiting) {
      prefetch->slots[i].state = SlotDecoding;
      return i;
    }
  }
  return -1;
}

void Publish(PicturePrefetch* prefetch, int slot, const PictureResult& result) {
  AcquireSRWLockExclusive(&prefetch->lock);
  prefetch->slots[slot].result = result;
  prefetch->slots[slot].state = SlotDone;
  ReleaseSRWLockExclusive(&prefetch->lock);
  WakeAllConditionVariable(&prefetch->progress);
}

DWORD WINAPI DecodeAhead(void* context) {
  auto* prefetch = static_cast<PicturePrefetch*>(context);
  for (;;) {
    AcquireSRWLockExclusive(&prefetch->lock);
    const int slot = prefetch->stopping ? -1 : ClaimWaiting(prefetch, prefetch->next);
    if (slot >= 0)
      prefetch->next = slot + 1;
    ReleaseSRWLockExclusive(&prefetch->lock);
    if (slot < 0)
      break;
    Publish(prefetch, slot, Decode(prefetch, slot));
  }
  LeavePictureApartment();
  return 0;
}

// The result of slot i, decoded by whichever thread got to it; false when it
// was taken before.
bool TakeSlot(PicturePrefetch* prefetch, int i, PictureResult* result) {
  AcquireSRWLockExclusive(&prefetch->lock);
  for (;;) {
    Slot& slot = prefetch->slots[i];
    if (slot.state == SlotTaken) {
      ReleaseSRWLockExclusive(&prefetch->lock);
      return false;
    }
    if (slot.state == SlotDone) {
      *result = slot.result;
      slot.state = SlotTaken;
      ReleaseSRWLockExclusive(&prefetch->lock);
      return true;
    }
    // Its own picture if nobody has claimed it; else, while another thread
    // decodes that one, the next waiting one, which it is about to need.
    const int claimed = ClaimWaiting(prefetch, i);
    if (claimed >= 0) {
      ReleaseSRWLockExclusive(&prefetch->lock);
      Publish(prefetch, claimed, Decode(prefetch, claimed));
      AcquireSRWLockExclusive(&prefetch->lock);
      continue;
    }
    SleepConditionVariableSRW(&prefetch->progress, &prefetch->lock, INFINITE, 0);
  }
}

bool SameType(const char* a, const char* b) {
  return a == b || (!IS_INTRESOURCE(a) && !IS_INTRESOURCE(b) && lstrcmpA(a, b) == 0);
}

}  // namespace

PicturePrefetch* StartPicturePrefetch(HINSTANCE module, int firstId, int count, const char* type,
                                      int boxWidth, int boxHeight) {
  if (count <= 0)
    return nullptr;
  auto* prefetch = new (std::nothrow) PicturePrefetch();
  if (!prefetch)
    return nullptr;
  prefetch->module = module;
  prefetch->type = type;
  prefetch->firstId = firstId;
  prefetch->count = count < kMaxPrefetched ? count : kMaxPrefetched;
  prefetch->boxWidth = boxWidth;
  prefetch->boxHeight = boxHeight;
  InitializeSRWLock(&prefetch->lock);
  InitializeConditionVariable(&prefetch->progress);
  prefetch->worker = CreateThread(nullptr, 0, DecodeAhead, prefetch, 0, nullptr);
  if (!prefetch->worker) {
    delete prefetch;
    return nullptr;
  }
  return prefetch;
}

HBITMAP TakePrefetchedPicture(PicturePrefetch* prefetch, HINSTANCE module, int id, const char* type,
                              int boxWidth, int boxHeight) {
  PictureResult result;
  if (prefetch && prefetch->module == module && SameType(prefetch->type, type) &&
      prefetch->boxWidth == boxWidth && prefetch->boxHeight == boxHeight && id >= prefetch->firstId &&
      id - prefetch->firstId < prefetch->count && TakeSlot(prefetch, id - prefetch->firstId, &result)) {
    return TellPictureResult(result);
  }
  return LoadPictureResource(module, id, type, boxWidth, boxHeight);
}

void EndPicturePrefetch(PicturePrefetch* prefetch) {
  if (!prefetch)
    return;
  AcquireSRWLockExclusive(&prefetch->lock);
  prefetch->stopping = true;
  ReleaseSRWLockExclusive(&prefetch->lock);
  WaitForSingleObject(prefetch->worker, INFINITE);
  CloseHandle(prefetch->worker);
  for (int i = 0; i < prefetch->count; ++i) {
    if (prefetch->slots[i].state == SlotDone && prefetch->slots[i].result.bitmap)
      DeleteObject(prefetch->slots[i].result.bitmap);
  }
  delete prefetch;
}
