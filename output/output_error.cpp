#include "output/output_error.h"

#include <string>

namespace {

class OutputErrorCategoryImpl final : public std::error_category {
 public:
  const char* name() const noexcept override { return "lumivale.output"; }
  std::string message(int value) const override {
    switch (static_cast<OutputError>(value)) {
      case OutputError::kNotARegularFile:
        return "not a regular file";
    }
    return "unknown output error";
  }
};

}  // namespace

const std::error_category& OutputErrorCategory() {
  static const OutputErrorCategoryImpl category;
  return category;
}

std::error_code make_error_code(OutputError error) {
  return {static_cast<int>(error), OutputErrorCategory()};
}
