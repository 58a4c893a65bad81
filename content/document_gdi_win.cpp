// The document's fonts and brushes as real GDI objects.
#include <windows.h>

#include "content/document_gdi.h"

HFONT CreateDocumentFont(const FontRequest& request) {
  LOGFONTA font = {};
  font.lfHeight = request.height;
  font.lfWeight = request.weight;
  font.lfItalic = request.italic ? 1 : 0;
  font.lfUnderline = request.underline ? 1 : 0;
  if (request.face != nullptr) {
    lstrcpynA(font.lfFaceName, request.face, LF_FACESIZE);
  }
  return CreateFontIndirectA(&font);
}

HBRUSH CreateDocumentBrush(uint32_t colour) {
  return CreateSolidBrush(static_cast<COLORREF>(colour));
}

void DeleteDocumentFont(HFONT font) {
  if (font != nullptr) {
    DeleteObject(font);
  }
}

void DeleteDocumentBrush(HBRUSH brush) {
  if (brush != nullptr) {
    DeleteObject(brush);
  }
}
