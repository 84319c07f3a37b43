// Writes a C++ source that holds a file's bytes as a constant array:
//   embed_tool SYMBOL INPUT OUTPUT
// The array is reached through `std::span<const unsigned char> SYMBOL()`.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: embed_tool SYMBOL INPUT OUTPUT\n");
    return 2;
  }
  const std::string symbol = argv[1];
  std::ifstream in(argv[2], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "embed_tool: cannot read %s\n", argv[2]);
    return 1;
  }
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), {});
  std::string text = "#include <span>\nnamespace {\nalignas(16) const unsigned char kData[] = {";
  text.reserve(bytes.size() * 5 + 256);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i % 24 == 0) text += "\n";
    text += std::to_string(bytes[i]);
    text += ',';
  }
  if (bytes.empty()) text += "0";
  text += "\n};\n}\nstd::span<const unsigned char> " + symbol + "() { return {kData, " +
          std::to_string(bytes.size()) + "}; }\n";
  std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
  out << text;
  return out.good() ? 0 : 1;
}
