// The build's maker of the program's version block:
//   makeversionblock OUT VERSION NAME DESCRIPTION COPYRIGHT COMMENTS
// VERSION has four numbers separated by full stops.
#include "VersionBlockWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>

int main(int argc, char* argv[]) {
    if (argc != 7) {
        std::fprintf(stderr,
                     "usage: makeversionblock OUT VERSION NAME DESCRIPTION COPYRIGHT COMMENTS\n");
        return 2;
    }
    TVersionBlockContent content;
    std::istringstream version(argv[2]);
    std::string part;
    for (size_t i = 0; i < 4 && std::getline(version, part, '.'); ++i)
        content.FileVersion[i] = content.ProductVersion[i] = static_cast<uint16_t>(std::stoi(part));
    content.Translations.push_back({0x0409,
                                    0x04E4,
                                    {{"CompanyName", "The VRK Viewer developers"},
                                     {"FileDescription", argv[4]},
                                     {"FileVersion", argv[2]},
                                     {"InternalName", "vrkviewer"},
                                     {"LegalCopyright", argv[5]},
                                     {"OriginalFilename", "vrkviewer"},
                                     {"ProductName", argv[3]},
                                     {"ProductVersion", argv[2]},
                                     {"Comments", argv[6]}}});
    const std::vector<char> block = WriteVersionBlock(content);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return out ? 0 : 1;
}
