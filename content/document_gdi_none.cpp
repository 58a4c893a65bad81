// The portable build has no GDI: every font and brush is a null handle.
#include "content/document_gdi.h"

HFONT CreateDocumentFont(const FontRequest&) {
  return nullptr;
}
HBRUSH CreateDocumentBrush(uint32_t) {
  return nullptr;
}
void DeleteDocumentFont(HFONT) {}
void DeleteDocumentBrush(HBRUSH) {}
