// The one-file page template goes into the tool's read-only data with the
// assembler's .incbin, as the player template does (tool/embedded_player.cpp);
// the build names it in TRIVO_QUIZ_PAGE_FILE. A tool built without it makes
// no pages and says so.
#include "tool/quiz_page.h"

#ifdef TRIVO_QUIZ_PAGE_FILE

#ifdef _WIN32
#define TRIVO_PAGE_SECTION ".section .rdata$trivo_page,\"dr\"\n"
#else
#define TRIVO_PAGE_SECTION ".section .rodata.trivo_page,\"a\"\n"
#endif

asm(TRIVO_PAGE_SECTION
    ".balign 16\n"
    ".globl trivoQuizPageBegin\n"
    "trivoQuizPageBegin:\n"
    ".incbin \"" TRIVO_QUIZ_PAGE_FILE
    "\"\n"
    ".globl trivoQuizPageEnd\n"
    "trivoQuizPageEnd:\n"
    ".byte 0\n"
    ".text\n");

extern "C" const char trivoQuizPageBegin[];
extern "C" const char trivoQuizPageEnd[];

std::string EmbeddedQuizPageTemplate() {
  return std::string(trivoQuizPageBegin, trivoQuizPageEnd);
}

#else

std::string EmbeddedQuizPageTemplate() {
  return std::string();
}

#endif
