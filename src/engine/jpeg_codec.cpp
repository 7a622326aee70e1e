#include "engine/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
// clang-format off
#include <jpeglib.h>  // after <cstdio>: it needs FILE
// clang-format on

#include "engine/errors.h"
#include "engine/picture_limits.h"

namespace klv {

namespace {

// libjpeg reports errors by calling error_exit, which must not return. We jump
// back to the setjmp in the small C-style functions below, which hold no C++
// object with a destructor, so the jump skips nothing but plain memory.
struct JpegError {
  jpeg_error_mgr pub;
  jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  longjmp(err->jump, 1);
}

// Warnings (corrupt data that libjpeg would paper over) are fatal for our
// own data files; trace messages are ignored.
void OnJpegMessage(j_common_ptr cinfo, int level) {
  if (level < 0) OnJpegError(cinfo);
}

void OnJpegProgress(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxJpegScans) {
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    std::snprintf(err->message, sizeof err->message, "JPEG has more than %d scans", kMaxJpegScans);
    longjmp(err->jump, 1);
  }
}

struct DecodeJob {
  const unsigned char* data;
  unsigned long size;
  // Gives width * height * 4 bytes for the B G R A rows, or null. It must not
  // throw; what it allocates belongs to the caller.
  unsigned char* (*allocate)(void* context, int width, int height);
  void* context;
  unsigned scaleDenom;  // 1 for the picture itself, 8 for an eighth of it
  unsigned width;       // the picture's full size, once the header is read
  unsigned height;
  char message[JMSG_LENGTH_MAX];
};

unsigned char* AllocateSurface(void* context, int width, int height) noexcept {
  try {
    auto* out = static_cast<Surface*>(context);
    out->Resize(width, height);
    return reinterpret_cast<unsigned char*>(out->Pixels());
  } catch (...) {
    return nullptr;
  }
}

// Returns 0 on success; on failure job->message says why and nothing is kept.
int RunJpegDecode(DecodeJob* job) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  jpeg_progress_mgr progress;
  std::memset(&progress, 0, sizeof progress);
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  err.message[0] = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::memcpy(job->message, err.message, sizeof job->message);
    return 1;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = 160L << 20;
  progress.progress_monitor = OnJpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, job->data, job->size);
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) {
    std::snprintf(err.message, sizeof err.message, "JPEG has no picture");
    longjmp(err.jump, 1);
  }
  if (cinfo.image_width > unsigned(kMaxPictureSide) ||
      cinfo.image_height > unsigned(kMaxPictureSide)) {
    std::snprintf(err.message, sizeof err.message, "JPEG of %ux%u is larger than 4096x4096",
                  cinfo.image_width, cinfo.image_height);
    longjmp(err.jump, 1);
  }
  job->width = cinfo.image_width;
  job->height = cinfo.image_height;
  cinfo.out_color_space = JCS_EXT_BGRA;
  cinfo.scale_num = 1;
  cinfo.scale_denom = job->scaleDenom;
  jpeg_start_decompress(&cinfo);
  unsigned char* pixels = job->allocate(job->context, static_cast<int>(cinfo.output_width),
                                        static_cast<int>(cinfo.output_height));
  if (!pixels) {
    std::snprintf(err.message, sizeof err.message, "out of memory for JPEG");
    longjmp(err.jump, 1);
  }
  const size_t stride = size_t(cinfo.output_width) * 4;
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

struct EncodeJob {
  const unsigned char* pixels;  // B G R X, width * 4 bytes a row
  int width;
  int height;
  int quality;
  unsigned char* out;  // malloc'd by libjpeg; free()
  unsigned long outSize;
  char message[JMSG_LENGTH_MAX];
};

int RunJpegEncode(EncodeJob* job) {
  jpeg_compress_struct cinfo;
  JpegError err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnJpegError;
  err.pub.emit_message = OnJpegMessage;
  job->out = nullptr;
  job->outSize = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(job->out);
    job->out = nullptr;
    std::memcpy(job->message, err.message, sizeof job->message);
    return 1;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &job->out, &job->outSize);
  cinfo.image_width = static_cast<JDIMENSION>(job->width);
  cinfo.image_height = static_cast<JDIMENSION>(job->height);
  cinfo.input_components = 4;
  cinfo.in_color_space = JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job->quality, TRUE);
  cinfo.optimize_coding = TRUE;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = size_t(job->width) * 4;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(job->pixels) + stride * cinfo.next_scanline;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 0;
}

}  // namespace

// Pixels are decoded straight into the surface: B G R A bytes are 0xAARRGGBB
// on the little-endian machines the game runs on.
Surface JpegCodec::Decode(const uint8_t* data, size_t size) {
  Surface out;
  DecodeJob job{};
  job.data = data;
  job.size = static_cast<unsigned long>(size);
  job.allocate = AllocateSurface;
  job.context = &out;
  job.scaleDenom = 1;
  if (RunJpegDecode(&job) != 0) throw DataError(std::string("bad JPEG: ") + job.message);
  return out;
}

JpegCodec::Size JpegCodec::Check(const uint8_t* data, size_t size) {
  Surface eighth;
  DecodeJob job{};
  job.data = data;
  job.size = static_cast<unsigned long>(size);
  job.allocate = AllocateSurface;
  job.context = &eighth;
  job.scaleDenom = 8;
  if (RunJpegDecode(&job) != 0) throw DataError(std::string("bad JPEG: ") + job.message);
  return {int(job.width), int(job.height)};
}

std::vector<uint8_t> JpegCodec::Encode(const Surface& picture, int quality) {
  if (picture.Empty()) throw KlvError("cannot encode an empty picture as JPEG");
  EncodeJob job{};
  job.pixels = reinterpret_cast<const unsigned char*>(picture.Pixels());
  job.width = picture.Width();
  job.height = picture.Height();
  job.quality = quality;
  if (RunJpegEncode(&job) != 0) throw KlvError(std::string("JPEG encoding failed: ") + job.message);
  std::vector<uint8_t> bytes(job.out, job.out + job.outSize);
  std::free(job.out);
  return bytes;
}

}  // namespace klv
