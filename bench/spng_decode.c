/* The yardstick of `trivo decode` as a whole process: the smallest program
   that reads a PNG, decodes it with libspng and writes the pixels out.
   Usage: spng_decode PICTURE OUTPUT; exit code 0 when decoded. */
#include <spng.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: spng_decode PICTURE OUTPUT\n");
    return 2;
  }
  FILE* in = fopen(argv[1], "rb");
  if (in == NULL) {
    return 1;
  }
  spng_ctx* ctx = spng_ctx_new(0);
  /* As the player's decoder: no CRC checks. */
  spng_set_crc_action(ctx, SPNG_CRC_USE, SPNG_CRC_USE);
  spng_set_png_file(ctx, in);
  size_t size = 0;
  int status = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size);
  unsigned char* pixels = status == 0 ? malloc(size) : NULL;
  if (pixels != NULL) {
    status = spng_decode_image(ctx, pixels, size, SPNG_FMT_PNG, 0);
  }
  FILE* out = status == 0 && pixels != NULL ? fopen(argv[2], "wb") : NULL;
  const int written = out != NULL && fwrite(pixels, 1, size, out) == size;
  if (out != NULL) {
    fclose(out);
  }
  free(pixels);
  spng_ctx_free(ctx);
  fclose(in);
  return written ? 0 : 1;
}
