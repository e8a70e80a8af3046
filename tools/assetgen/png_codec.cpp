// PNG encoding and decoding through libpng, in memory. libpng reports errors by longjmp, so each
// libpng session runs in a function holding no C++ objects of its own; what it reads or writes
// lives in the caller.
#include "png_codec.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <stdexcept>

namespace assetgen {
namespace {

constexpr png_uint_32 kMaxSide = 16384;

// Where a session stands, for the error text: the stage it was in and what libpng said.
struct Session {
  const char* stage = "header";
  std::string* error = nullptr;
};

[[noreturn]] void onError(png_structp png, png_const_charp message) {
  auto* session = static_cast<Session*>(png_get_error_ptr(png));
  *session->error = std::string(session->stage) + ": " + message;
  png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

void appendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

// The bytes still to read, consumed from the front.
struct Source {
  const uint8_t* next;
  size_t left;
};

void readBytes(png_structp png, png_bytep data, size_t length) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (length > source->left) png_error(png, "the file ends early");
  std::memcpy(data, source->next, length);
  source->next += length;
  source->left -= length;
}

uint32_t bigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// libpng inflates a chunk's data before it reaches the chunk's CRC, so damage would show as a
// deflate error; every chunk's CRC is checked first to name the damage for what it is.
bool chunkCrcsMatch(const std::vector<uint8_t>& bytes, std::string& error) {
  for (size_t pos = 8; pos + 12 <= bytes.size();) {
    const uint32_t length = bigEndian32(&bytes[pos]);
    if (length > bytes.size() - pos - 12) return true;  // libpng reports the truncation
    const uint8_t* type = &bytes[pos + 4];
    if (crc32(0, type, length + 4) != bigEndian32(type + 4 + length)) {
      error = "bad CRC in chunk " + std::string(reinterpret_cast<const char*>(type), 4);
      return false;
    }
    pos += 12 + length;
  }
  return true;
}

// Writes `rows` (RGBA rows; the alpha byte is dropped for RGB) into `out`; false with `error` set
// when libpng fails.
bool writeSession(const Image& image, bool opaque, png_bytep* rows, std::vector<uint8_t>& out, std::string& error) {
  Session session{"encoding", &error};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, onError, onWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    error = "libpng could not start";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &out, appendBytes, flushNothing);
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height), 8,
               opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 4);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_write_info(png, info);
  if (opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Reads the header into `width` and `height`, then, once `prepare` has made room, the pixels as
// RGBA rows.
template <typename Prepare>
bool readSession(Source& source, png_uint_32& width, png_uint_32& height, Prepare&& prepare, std::string& error) {
  Session session{"header", &error};
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &session, onError, onWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    error = "libpng could not start";
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, readBytes);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  // Every layout becomes 8-bit RGBA.
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) png_error(png, "unexpected row size");
  png_bytep* rows = prepare();
  session.stage = "image data (inflate)";
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

std::vector<png_bytep> rowPointers(uint8_t* pixels, int width, int height) {
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) rows[y] = pixels + static_cast<size_t>(y) * width * 4;
  return rows;
}

}  // namespace

std::vector<uint8_t> encodePng(const Image& image) {
  std::vector<uint8_t> pixels = image.rgba;
  std::vector<png_bytep> rows = rowPointers(pixels.data(), image.width, image.height);
  std::vector<uint8_t> out;
  std::string error;
  if (!writeSession(image, image.opaque(), rows.data(), out, error)) throw std::runtime_error("PNG " + error);
  return out;
}

bool decodePng(const std::vector<uint8_t>& bytes, Image& image, std::string& error) {
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    error = "no PNG signature";
    return false;
  }
  if (!chunkCrcsMatch(bytes, error)) return false;
  Source source{bytes.data(), bytes.size()};
  png_uint_32 width = 0, height = 0;
  Image decoded;
  std::vector<png_bytep> rows;
  auto prepare = [&]() {
    decoded.width = static_cast<int>(width);
    decoded.height = static_cast<int>(height);
    decoded.rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    rows = rowPointers(decoded.rgba.data(), decoded.width, decoded.height);
    return rows.data();
  };
  if (!readSession(source, width, height, prepare, error)) return false;
  image = std::move(decoded);
  return true;
}

}  // namespace assetgen
