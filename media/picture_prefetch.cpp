// The worker decodes the pictures in id order and publishes each result
// under the lock; a take waits on the condition until its slot is done. The
// worker shows nothing itself and keeps its own COM apartment, which it ends
// before it returns. Stopping is checked between pictures, so ending the
// prefetch waits at most for the picture being decoded.
#include "media/picture_prefetch.h"

#include <new>

#include "media/picture_loader.h"

namespace {

constexpr int kMaxPrefetched = 512;

struct Slot {
  PictureResult result;
  bool taken;
};

}  // namespace

struct PicturePrefetch {
  HINSTANCE module;
  const char* type;
  int firstId;
  int count;
  int boxWidth;
  int boxHeight;
  SRWLOCK lock;
  CONDITION_VARIABLE progress;
  int done;  // slots the worker has filled, under the lock
  bool stopping;
  HANDLE worker;
  Slot slots[kMaxPrefetched];
};

namespace {

bool ShouldStop(PicturePrefetch* prefetch) {
  AcquireSRWLockShared(&prefetch->lock);
  const bool stopping = prefetch->stopping;
  ReleaseSRWLockShared(&prefetch->lock);
  return stopping;
}

DWORD WINAPI DecodeAhead(void* context) {
  auto* prefetch = static_cast<PicturePrefetch*>(context);
  for (int i = 0; i < prefetch->count && !ShouldStop(prefetch); ++i) {
    const PictureResult result = DecodePictureResource(
        prefetch->module, prefetch->firstId + i, prefetch->type, prefetch->boxWidth, prefetch->boxHeight);
    AcquireSRWLockExclusive(&prefetch->lock);
    prefetch->slots[i].result = result;
    prefetch->done = i + 1;
    ReleaseSRWLockExclusive(&prefetch->lock);
    WakeAllConditionVariable(&prefetch->progress);
  }
  LeavePictureApartment();
  // A stop leaves the rest undone: whoever waits is woken to see it.
  AcquireSRWLockExclusive(&prefetch->lock);
  prefetch->count = prefetch->done;
  ReleaseSRWLockExclusive(&prefetch->lock);
  WakeAllConditionVariable(&prefetch->progress);
  return 0;
}

// The result of slot i once the worker is past it; false when the worker
// stopped before it.
bool WaitForSlot(PicturePrefetch* prefetch, int i, PictureResult* result) {
  AcquireSRWLockExclusive(&prefetch->lock);
  while (prefetch->done <= i && i < prefetch->count)
    SleepConditionVariableSRW(&prefetch->progress, &prefetch->lock, INFINITE, 0);
  const bool ready = prefetch->done > i && !prefetch->slots[i].taken;
  if (ready) {
    *result = prefetch->slots[i].result;
    prefetch->slots[i].taken = true;
  }
  ReleaseSRWLockExclusive(&prefetch->lock);
  return ready;
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
      id - prefetch->firstId < kMaxPrefetched && WaitForSlot(prefetch, id - prefetch->firstId, &result)) {
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
  for (int i = 0; i < prefetch->done; ++i) {
    if (!prefetch->slots[i].taken && prefetch->slots[i].result.bitmap)
      DeleteObject(prefetch->slots[i].result.bitmap);
  }
  delete prefetch;
}
