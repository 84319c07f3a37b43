#include "convert_to_jpeg.h"
int ConvertToJpeg(const std::string&, const std::string&, bool, int, bool, int) { return kJpegWriteFailed; }
