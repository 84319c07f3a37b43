#pragma once
// While libjpeg optimises its Huffman tables it keeps every DCT coefficient of the picture, in
// "virtual block arrays" of some 6 MB for 1080 x 1920 that its memory manager takes from
// malloc: fresh memory, faulted in a page at a time, on every compression. These arrays are
// kept instead in picture memory (compose/picture_memory.h) that each thread keeps and reuses
// for its compressions; everything else stays libjpeg's.
#include <cstdio>
#include <memory>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

// libjpeg names the type only; this program's block arrays are what it points to.
struct jvirt_barray_control;

class JpegCoefficientMemory {
 public:
  JpegCoefficientMemory();
  ~JpegCoefficientMemory();
  JpegCoefficientMemory(const JpegCoefficientMemory&) = delete;
  JpegCoefficientMemory& operator=(const JpegCoefficientMemory&) = delete;

  // Takes over `cinfo`'s virtual block arrays; right after jpeg_create_compress. This object
  // must outlive the compression, which must run on the thread that installs it.
  void Install(jpeg_compress_struct& cinfo);

 private:
  static jvirt_barray_ptr Request(j_common_ptr cinfo, int pool, boolean preZero,
                                  JDIMENSION blocksPerRow, JDIMENSION rows, JDIMENSION maxAccess);
  static void Realize(j_common_ptr cinfo);
  static JBLOCKARRAY Access(j_common_ptr cinfo, jvirt_barray_ptr array, JDIMENSION startRow,
                            JDIMENSION rows, boolean writable);

  std::vector<std::unique_ptr<jvirt_barray_control>> arrays_;
  void (*libjpegRealize_)(j_common_ptr) = nullptr;
};
