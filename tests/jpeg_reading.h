#pragma once
// Reading back the JPEG files the program writes, for tests: the decoded pixels and the
// markers in file order.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace jpeg_reading {

using Bytes = std::vector<std::uint8_t>;

struct Decoded {
  int width = 0, height = 0, components = 0;
  Bytes pixels;
};

struct DecodeTrap {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

inline std::optional<Decoded> DecodeJpeg(const Bytes& jpeg) {
  jpeg_decompress_struct cinfo{};
  DecodeTrap trap{};
  cinfo.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = [](j_common_ptr c) { std::longjmp(reinterpret_cast<DecodeTrap*>(c->err)->jump, 1); };
  trap.manager.output_message = [](j_common_ptr) {};
  // On the heap, so that the longjmp back here finds it intact.
  std::unique_ptr<Decoded> owned = std::make_unique<Decoded>();
  Decoded* result = owned.get();
  if (setjmp(trap.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return std::nullopt;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  jpeg_start_decompress(&cinfo);
  result->width = static_cast<int>(cinfo.output_width);
  result->height = static_cast<int>(cinfo.output_height);
  result->components = cinfo.output_components;
  result->pixels.resize(static_cast<std::size_t>(result->width) * result->height * result->components);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = result->pixels.data() +
                   static_cast<std::size_t>(cinfo.output_scanline) * result->width * result->components;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return *owned;
}

struct Segment {
  int marker;
  Bytes body;  // without the length field
};

// The markers of a JPEG file in order, up to and including EOI; the entropy-coded data after
// SOS is skipped (a 0xFF in it is followed by 0x00 or a restart marker).
inline std::vector<Segment> Markers(const Bytes& jpeg) {
  std::vector<Segment> segments;
  std::size_t at = 0;
  auto fail = [&](const char* why) {
    ADD_FAILURE() << why << " at byte " << at;
    return segments;
  };
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return fail("no SOI");
  segments.push_back({0xD8, {}});
  at = 2;
  while (at + 1 < jpeg.size()) {
    if (jpeg[at] != 0xFF) return fail("marker expected");
    const int marker = jpeg[at + 1];
    at += 2;
    if (marker == 0xD9) {
      segments.push_back({marker, {}});
      if (at != jpeg.size()) ADD_FAILURE() << "bytes after EOI";
      return segments;
    }
    if (at + 2 > jpeg.size()) return fail("length cut off");
    const std::size_t length = jpeg[at] << 8 | jpeg[at + 1];
    if (length < 2 || at + length > jpeg.size()) return fail("segment cut off");
    segments.push_back({marker, Bytes(jpeg.begin() + at + 2, jpeg.begin() + at + length)});
    at += length;
    if (marker == 0xDA) {
      while (at + 1 < jpeg.size() && !(jpeg[at] == 0xFF && jpeg[at + 1] != 0x00 &&
                                         !(jpeg[at + 1] >= 0xD0 && jpeg[at + 1] <= 0xD7)))
        ++at;
    }
  }
  return fail("no EOI");
}

}  // namespace jpeg_reading
