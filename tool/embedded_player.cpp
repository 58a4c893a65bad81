// The template's bytes go into the read-only data of the tool with the
// assembler's .incbin, so a player of any size costs no compile time. The
// build names the file in TRIVO_EMBEDDED_PLAYER_FILE and rebuilds this file
// whenever the player changes; without it the tool carries no template.
#include "tool/embedded_player.h"

#ifdef TRIVO_EMBEDDED_PLAYER_FILE

#ifdef _WIN32
#define TRIVO_PLAYER_SECTION ".section .rdata$trivo_player,\"dr\"\n"
#else
#define TRIVO_PLAYER_SECTION ".section .rodata.trivo_player,\"a\"\n"
#endif

asm(TRIVO_PLAYER_SECTION
    ".balign 16\n"
    ".globl trivoEmbeddedPlayerBegin\n"
    "trivoEmbeddedPlayerBegin:\n"
    ".incbin \"" TRIVO_EMBEDDED_PLAYER_FILE
    "\"\n"
    ".globl trivoEmbeddedPlayerEnd\n"
    "trivoEmbeddedPlayerEnd:\n"
    ".byte 0\n"
    ".text\n");

extern "C" const uint8_t trivoEmbeddedPlayerBegin[];
extern "C" const uint8_t trivoEmbeddedPlayerEnd[];

EmbeddedPlayer EmbeddedPlayerTemplate() {
  EmbeddedPlayer player;
  player.data = trivoEmbeddedPlayerBegin;
  player.size = static_cast<size_t>(trivoEmbeddedPlayerEnd - trivoEmbeddedPlayerBegin);
  return player;
}

#else

EmbeddedPlayer EmbeddedPlayerTemplate() {
  return EmbeddedPlayer();
}

#endif
