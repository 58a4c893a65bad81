// Fills the document at start-up from the three encoded sources the program
// carries, in this order: the stored block (link and footer) in the
// initialised data, the quiz resource ("PATCH" 104) and the codes resource
// ("PATCH" 105). Each is decoded, parsed whole and only then applied, so a
// block that fails leaves the document as the outcome table of the loader
// says: stored block -> construction defaults with no questions; quiz
// missing -> the built-in test quiz; quiz broken -> no questions; codes
// missing or broken -> everything but the codes.
#include "content/quiz_loader.h"

#include <windows.h>

#include <vector>

#include "content/document_gdi.h"
#include "content/quiz_outcome.h"
#include "content/user_message.h"
#include "resources/resource_ids.h"

// The stored block: the link "https://trivo.example/" and the footer
// "Fait avec Trivo", behind two zero bytes, coded by EncodeBlock (45 bytes)
// and padded with zeros to the 70 bytes the authoring tool may replace.
// The marker is spelled byte by byte so that it exists in the program only
// here, once; `used` and `volatile` keep the compiler from dropping or
// folding the record.
__attribute__((used)) volatile StoredBlockRecord gStoredBlock = {
    {'T', 'R', 'I', 'V', 'O', ':', 'S', 'T', 'O', 'R', 'E', 'D', '-', 'B', 'L', 'O', 'C', 'K', ':'},
    {0x00, 0x00, 0x0D, 0x07, 0x43, 0xA1, 0xC0, 0xE6, 0x3A, 0x17, 0x8B, 0xCE, 0x87, 0x23, 0x49,
     0xD8, 0xDE, 0x2E, 0x32, 0x9E, 0x0C, 0x26, 0xD3, 0x81, 0xB0, 0xCA, 0x2F, 0x3E, 0x11, 0x8C,
     0x26, 0x93, 0xA0, 0x80, 0xC2, 0x76, 0x32, 0x98, 0xC4, 0x05, 0x48, 0x74, 0x40, 0xF9, 0x00}};

namespace {

// One "PATCH" resource of this program, copied out so that the resource can
// be released at once. `size` is what the resource table announces (0 when
// the resource is missing); `bytes` stays empty if it cannot be loaded.
struct PatchResource {
  DWORD size = 0;
  std::vector<uint8_t> bytes;
};

PatchResource ReadPatchResource(int id) {
  PatchResource resource;
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), QUIZ_RESOURCE_TYPE);
  if (found == nullptr) {
    return resource;
  }
  resource.size = SizeofResource(nullptr, found);
  HGLOBAL loaded = resource.size != 0 ? LoadResource(nullptr, found) : nullptr;
  if (loaded != nullptr) {
    const void* data = LockResource(loaded);
    if (data != nullptr) {
      const auto* begin = static_cast<const uint8_t*>(data);
      resource.bytes.assign(begin, begin + resource.size);
    }
    FreeResource(loaded);
  }
  return resource;
}

// The loader makes the background brush of the colour it has just set;
// the construction brush it replaces is deleted, not leaked.
void ReplaceBackgroundBrush(QuizDocument& doc) {
  HBRUSH brush = CreateDocumentBrush(BackgroundColour(doc));
  DeleteDocumentBrush(doc.backgroundBrush);
  doc.backgroundBrush = brush;
}

}  // namespace

void LoadQuiz(QuizDocument& doc) {
  uint8_t stored[kStoredBlockSize];
  for (int i = 0; i < kStoredBlockSize; ++i) {
    stored[i] = gStoredBlock.block[i];
  }
  PatchResource quizResource = ReadPatchResource(IDR_QUIZ_TEXT);
  PatchResource codesResource = ReadPatchResource(IDR_SCORE_CODES);
  QuizSources sources;
  sources.stored = {stored, sizeof(stored), true};
  sources.quiz = {quizResource.bytes.data(), quizResource.bytes.size(), quizResource.size != 0};
  sources.codes = {codesResource.bytes.data(), codesResource.bytes.size(), codesResource.size != 0};

  std::vector<const char*> messages;
  QuizOutcome outcome = ApplyQuizSources(sources, doc, &messages);
  if (QuizColoursChanged(outcome)) {
    ReplaceBackgroundBrush(doc);
  }
  for (const char* text : messages) {
    ShowUserMessage(text, kLoaderCaption, kMessageOk);
  }
}
