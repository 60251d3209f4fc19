// The module library must export exactly DaVuze and SwapRsrcProc: the host
// finds its entry point by name, and nothing else may leak into its process.
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

// Reads the names of the defined global and weak symbols of an ELF64 file's
// dynamic symbol table.
std::set<std::string> DefinedDynamicSymbols(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::set<std::string> names;
  if (file.size() < sizeof(Elf64_Ehdr)) return names;
  Elf64_Ehdr eh;
  std::memcpy(&eh, file.data(), sizeof eh);
  if (std::memcmp(eh.e_ident, ELFMAG, SELFMAG) != 0 || eh.e_ident[EI_CLASS] != ELFCLASS64) return names;
  if (eh.e_shoff + uint64_t(eh.e_shnum) * sizeof(Elf64_Shdr) > file.size()) return names;
  std::vector<Elf64_Shdr> sections(eh.e_shnum);
  std::memcpy(sections.data(), file.data() + eh.e_shoff, eh.e_shnum * sizeof(Elf64_Shdr));
  for (const Elf64_Shdr& sh : sections) {
    if (sh.sh_type != SHT_DYNSYM || sh.sh_link >= sections.size()) continue;
    const Elf64_Shdr& strtab = sections[sh.sh_link];
    if (sh.sh_offset + sh.sh_size > file.size() || strtab.sh_offset + strtab.sh_size > file.size()) break;
    for (uint64_t off = 0; off + sizeof(Elf64_Sym) <= sh.sh_size; off += sizeof(Elf64_Sym)) {
      Elf64_Sym sym;
      std::memcpy(&sym, file.data() + sh.sh_offset + off, sizeof sym);
      const int bind = ELF64_ST_BIND(sym.st_info);
      if (sym.st_shndx == SHN_UNDEF || (bind != STB_GLOBAL && bind != STB_WEAK)) continue;
      if (sym.st_name >= strtab.sh_size) continue;
      names.insert(std::string(file.data() + strtab.sh_offset + sym.st_name));
    }
  }
  return names;
}

TEST(ModuleExports, OnlyTheEntryPointAndTheSwapProcedure) {
  std::set<std::string> names = DefinedDynamicSymbols(QV_MODULE_PATH);
  EXPECT_EQ(names, (std::set<std::string>{"DaVuze", "SwapRsrcProc"}));
}

}  // namespace
