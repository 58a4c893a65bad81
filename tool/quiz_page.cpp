#include "tool/quiz_page.h"

#include <cstring>

#include "content/sha256.h"
#include "resources/resource_ids.h"
#include "tool/pe_image.h"
#include "tool/quiz_build.h"

namespace {

// The resources the play core reads; the player's own (icons, version,
// manifest) stay behind.
bool IsQuizResource(const ResourceEntry& entry) {
  if (!entry.name.isId) {
    return false;
  }
  return entry.type == ResourceName::Text(QUIZ_RESOURCE_TYPE) ||
         entry.type == ResourceName::Text(PICTURE_RESOURCE_TYPE) ||
         entry.type == ResourceName::Id(kResourceTypeRcData);
}

std::string Ascii(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c));
  }
  return out;
}

void PutDigest(const std::vector<uint8_t>& exe, std::array<uint8_t, 32>* digest) {
  const std::string hex = Sha256Hex(exe.data(), exe.size());
  for (size_t i = 0; i < digest->size(); ++i) {
    (*digest)[i] = static_cast<uint8_t>(std::stoi(hex.substr(2 * i, 2), nullptr, 16));
  }
}

std::string Base64(const std::vector<uint8_t>& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t left = bytes.size() - i;
    const uint32_t group =
        (bytes[i] << 16) | (left > 1 ? bytes[i + 1] << 8 : 0) | (left > 2 ? bytes[i + 2] : 0);
    out.push_back(kDigits[group >> 18]);
    out.push_back(kDigits[(group >> 12) & 63]);
    out.push_back(left > 1 ? kDigits[(group >> 6) & 63] : '=');
    out.push_back(left > 2 ? kDigits[group & 63] : '=');
  }
  return out;
}

}  // namespace

bool ExtractQuizPack(const std::vector<uint8_t>& exe, QuizPack* pack, std::string* error) {
  PeImage image;
  std::vector<ResourceEntry> resources;
  size_t offset = 0;
  if (ParsePeImage(exe, &image) != PeError::None || ReadResources(image, &resources) != PeError::None ||
      !FindStoredBlock(image, &offset) || offset + kStoredBlockSize > exe.size()) {
    *error = "not a quiz executable made by trivo";
    return false;
  }
  QuizPack made;
  PutDigest(exe, &made.exeSha256);
  std::memcpy(made.stored.data(), exe.data() + offset, kStoredBlockSize);
  for (ResourceEntry& entry : resources) {
    if (IsQuizResource(entry)) {
      made.entries.push_back({entry.type.isId ? std::string() : Ascii(entry.type.text), entry.type.id,
                              entry.name.id, std::move(entry.data)});
    }
  }
  *pack = std::move(made);
  return true;
}

bool MakeQuizPage(const std::vector<uint8_t>& exe, const std::string& pageTemplate, std::string* page,
                  std::string* error) {
  const size_t at = pageTemplate.find(kQuizPagePlaceholder);
  if (pageTemplate.empty() || at == std::string::npos ||
      pageTemplate.find(kQuizPagePlaceholder, at + 1) != std::string::npos) {
    *error = "the page template has no quiz block";
    return false;
  }
  QuizPack pack;
  if (!ExtractQuizPack(exe, &pack, error)) {
    return false;
  }
  const std::vector<uint8_t> bytes = WriteQuizPack(pack);
  if (bytes.empty()) {
    *error = "the quiz has too many resources for a page";
    return false;
  }
  *page = pageTemplate.substr(0, at) + Base64(bytes) +
          pageTemplate.substr(at + std::strlen(kQuizPagePlaceholder));
  return true;
}
