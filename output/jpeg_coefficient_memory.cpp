#include "output/jpeg_coefficient_memory.h"

#include <cstring>
#include <new>

extern "C" {
#include <jerror.h>
}

#include "compose/picture_memory.h"

struct jvirt_barray_control {
  JDIMENSION blocksPerRow = 0;
  JDIMENSION rows = 0;
  bool preZero = false;
  std::vector<JBLOCKROW> rowStarts;
};

namespace {

JpegCoefficientMemory& OwnerOf(j_common_ptr cinfo) {
  return *static_cast<JpegCoefficientMemory*>(cinfo->client_data);
}

// Every compression on a thread uses the same coefficient memory, grown to the largest picture
// so far: a batch's worker faults its pages in once, not once a picture.
std::vector<JCOEF, PictureAllocator<JCOEF>>& ThreadCoefficients() {
  thread_local std::vector<JCOEF, PictureAllocator<JCOEF>> coefficients;
  return coefficients;
}

}  // namespace

JpegCoefficientMemory::JpegCoefficientMemory() = default;
JpegCoefficientMemory::~JpegCoefficientMemory() = default;

void JpegCoefficientMemory::Install(jpeg_compress_struct& cinfo) {
  cinfo.client_data = this;
  libjpegRealize_ = cinfo.mem->realize_virt_arrays;
  cinfo.mem->request_virt_barray = Request;
  cinfo.mem->realize_virt_arrays = Realize;
  cinfo.mem->access_virt_barray = Access;
}

// These run inside libjpeg: a failure must leave by libjpeg's error exit, never by an
// exception.
jvirt_barray_ptr JpegCoefficientMemory::Request(j_common_ptr cinfo, int, boolean preZero,
                                                JDIMENSION blocksPerRow, JDIMENSION rows,
                                                JDIMENSION) {
  JpegCoefficientMemory& self = OwnerOf(cinfo);
  try {
    auto array = std::make_unique<jvirt_barray_control>();
    array->blocksPerRow = blocksPerRow;
    array->rows = rows;
    array->preZero = preZero != FALSE;
    self.arrays_.push_back(std::move(array));
  } catch (const std::bad_alloc&) {
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  }
  return self.arrays_.back().get();
}

void JpegCoefficientMemory::Realize(j_common_ptr cinfo) {
  JpegCoefficientMemory& self = OwnerOf(cinfo);
  self.libjpegRealize_(cinfo);  // the sample arrays libjpeg asked for itself
  std::size_t blocks = 0;
  for (const auto& array : self.arrays_)
    blocks += static_cast<std::size_t>(array->blocksPerRow) * array->rows;
  auto& coefficients = ThreadCoefficients();
  try {
    if (coefficients.size() < blocks * DCTSIZE2) coefficients.resize(blocks * DCTSIZE2);
    for (const auto& array : self.arrays_) array->rowStarts.resize(array->rows);
  } catch (const std::bad_alloc&) {
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 1);
  }
  JCOEF* next = coefficients.data();
  for (const auto& array : self.arrays_) {
    const std::size_t rowCoefficients = static_cast<std::size_t>(array->blocksPerRow) * DCTSIZE2;
    if (array->preZero) std::memset(next, 0, rowCoefficients * array->rows * sizeof(JCOEF));
    for (JDIMENSION row = 0; row < array->rows; ++row, next += rowCoefficients)
      array->rowStarts[row] = reinterpret_cast<JBLOCKROW>(next);
  }
}

JBLOCKARRAY JpegCoefficientMemory::Access(j_common_ptr cinfo, jvirt_barray_ptr array,
                                          JDIMENSION startRow, JDIMENSION rows, boolean) {
  if (array->rowStarts.empty() || startRow > array->rows || rows > array->rows - startRow)
    ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
  return array->rowStarts.data() + startRow;
}
