#pragma once
// A minimal 64-bit ELF file holding one section of given bytes, for reading version blocks the
// way the program reads its own executable.
#include <QByteArray>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline QByteArray ElfWithSection(const std::string& name, const std::vector<char>& contents) {
    const std::string names = std::string("\0", 1) + name + std::string("\0.shstrtab\0", 11);
    const uint64_t dataAt = 64, namesAt = dataAt + contents.size(),
                   tableAt = (namesAt + names.size() + 7) & ~7ull;
    QByteArray elf(static_cast<qsizetype>(tableAt + 3 * 64), '\0');
    auto put = [&](uint64_t at, auto value) { std::memcpy(elf.data() + at, &value, sizeof value); };
    std::memcpy(elf.data(),
                "\x7F"
                "ELF\x02\x01\x01",
                7);
    put(0x28, tableAt);
    put(0x3A, uint16_t(64));
    put(0x3C, uint16_t(3));
    put(0x3E, uint16_t(2));
    std::memcpy(elf.data() + dataAt, contents.data(), contents.size());
    std::memcpy(elf.data() + namesAt, names.data(), names.size());
    // Section 1: the contents; section 2: the names.
    put(tableAt + 64 + 0x00, uint32_t(1));
    put(tableAt + 64 + 0x04, uint32_t(1));
    put(tableAt + 64 + 0x18, dataAt);
    put(tableAt + 64 + 0x20, uint64_t(contents.size()));
    put(tableAt + 128 + 0x00, uint32_t(2 + name.size()));
    put(tableAt + 128 + 0x04, uint32_t(3));
    put(tableAt + 128 + 0x18, namesAt);
    put(tableAt + 128 + 0x20, uint64_t(names.size()));
    return elf;
}
