// The fonts and brushes the quiz document owns. The Windows build creates
// real GDI objects; the portable build hands out null handles.
#pragma once

#include <cstdint>

#include "content/platform_handles.h"

struct FontRequest {
  int height;
  int weight;
  bool italic;
  bool underline;
  const char* face;  // null for no face name
};

HFONT CreateDocumentFont(const FontRequest& request);
HBRUSH CreateDocumentBrush(uint32_t colour);  // colour as 0x00BBGGRR
void DeleteDocumentFont(HFONT font);          // null is passed over
void DeleteDocumentBrush(HBRUSH brush);       // null is passed over
