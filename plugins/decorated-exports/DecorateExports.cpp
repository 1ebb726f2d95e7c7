// Gives a built plug-in library the exported names that the program looks up ("?LibLoadImage@@...").
// ELF linkers read '@' in a symbol name as a version tag, so a plug-in cannot define those names
// directly; it defines stand-ins of the same length ('?' written as 'X', '@' as '_'), and this
// tool rewrites them in the dynamic string table and rebuilds the SysV symbol hash table (the
// plug-in links with --hash-style=sysv, whose table can be rebuilt without reordering symbols).
//
//   orvanta-decorate-exports LIBRARY.so

#include <elf.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const char *const kDecoratedNames[] = {
    "?LibLoadImage@@YGHPAD0PAUTImageContainer@@@Z",
    "?LibSaveImage@@YGHPAD0PAUTImageContainer@@@Z",
    "?LibFreeImage@@YGHPAUTImageContainer@@@Z",
    "?LibGetLoadFilter@@YGPADXZ",
    "?LibGetSaveFilter@@YGPADXZ",
};

std::string StandIn(const std::string &name) {
    std::string s = name;
    for (char &c : s)
        c = c == '?' ? 'X' : c == '@' ? '_' : c;
    return s;
}

uint32_t ElfHash(const char *name) {
    uint32_t h = 0;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(name); *p; ++p) {
        h = (h << 4) + *p;
        const uint32_t g = h & 0xF0000000u;
        if (g)
            h ^= g >> 24;
        h &= ~g;
    }
    return h;
}

int Fail(const char *message) {
    std::fprintf(stderr, "orvanta-decorate-exports: %s\n", message);
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2)
        return Fail("usage: orvanta-decorate-exports LIBRARY.so");
    std::vector<char> file;
    {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in)
            return Fail("cannot open the library");
        file.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (file.size() < sizeof(Elf64_Ehdr) || std::memcmp(file.data(), ELFMAG, SELFMAG) != 0 ||
        file[EI_CLASS] != ELFCLASS64)
        return Fail("not a 64-bit ELF file");
    auto *eh = reinterpret_cast<Elf64_Ehdr *>(file.data());
    if (eh->e_shoff == 0 || eh->e_shoff + uint64_t(eh->e_shnum) * sizeof(Elf64_Shdr) > file.size())
        return Fail("bad section table");
    auto *sections = reinterpret_cast<Elf64_Shdr *>(file.data() + eh->e_shoff);
    Elf64_Shdr *dynsym = nullptr, *hash = nullptr;
    for (int i = 0; i < eh->e_shnum; ++i) {
        if (sections[i].sh_type == SHT_DYNSYM)
            dynsym = &sections[i];
        else if (sections[i].sh_type == SHT_HASH)
            hash = &sections[i];
        else if (sections[i].sh_type == SHT_GNU_HASH)
            return Fail("link the library with -Wl,--hash-style=sysv");
    }
    if (!dynsym || !hash || dynsym->sh_link >= eh->e_shnum)
        return Fail("no dynamic symbol or hash table");
    Elf64_Shdr *dynstr = &sections[dynsym->sh_link];
    if (dynsym->sh_offset + dynsym->sh_size > file.size() || dynstr->sh_offset + dynstr->sh_size > file.size() ||
        hash->sh_offset + hash->sh_size > file.size())
        return Fail("section outside the file");
    auto *symbols = reinterpret_cast<Elf64_Sym *>(file.data() + dynsym->sh_offset);
    const size_t count = dynsym->sh_size / sizeof(Elf64_Sym);
    char *strings = file.data() + dynstr->sh_offset;
    auto nameOf = [&](const Elf64_Sym &s) -> char * {
        return s.st_name < dynstr->sh_size ? strings + s.st_name : nullptr;
    };

    int renamed = 0;
    for (const char *decorated : kDecoratedNames) {
        const std::string standIn = StandIn(decorated);
        for (size_t i = 1; i < count; ++i) {
            char *name = nameOf(symbols[i]);
            if (name && standIn == name) {
                std::memcpy(name, decorated, standIn.size());
                ++renamed;
            }
        }
    }

    auto *words = reinterpret_cast<uint32_t *>(file.data() + hash->sh_offset);
    const uint32_t nbucket = words[0], nchain = words[1];
    if (nbucket == 0 || nchain != count || (2 + uint64_t(nbucket) + nchain) * 4 > hash->sh_size)
        return Fail("unexpected hash table");
    uint32_t *bucket = words + 2, *chain = bucket + nbucket;
    std::fill(bucket, bucket + nbucket, 0u);
    std::fill(chain, chain + nchain, 0u);
    for (uint32_t i = 1; i < count; ++i) {
        const char *name = nameOf(symbols[i]);
        if (!name)
            return Fail("bad symbol name");
        const uint32_t b = ElfHash(name) % nbucket;
        chain[i] = bucket[b];
        bucket[b] = i;
    }

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(file.data(), std::streamsize(file.size()));
    if (!out)
        return Fail("cannot write the library");
    std::printf("orvanta-decorate-exports: %d names in %s\n", renamed, argv[1]);
    return 0;
}
