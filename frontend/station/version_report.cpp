#include "frontend/station/version_report.h"

#include <elf.h>
#include <link.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/frontend_interface.h"
#include "frontend/station/paths.h"
#include "frontend/common/text_format.h"

namespace sensor::frontend {
namespace {

// A read-only view of a file by offset, refusing any range outside it.
class FileReader {
 public:
  explicit FileReader(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat info {};
    if (fd_ >= 0 && fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
      size_ = static_cast<std::uint64_t>(info.st_size);
    }
  }
  ~FileReader() {
    if (fd_ >= 0) close(fd_);
  }
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool Read(std::uint64_t offset, void* out, std::uint64_t length) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) return false;
    auto* bytes = static_cast<unsigned char*>(out);
    while (length > 0) {
      const ssize_t got = pread(fd_, bytes, length, static_cast<off_t>(offset));
      if (got <= 0) return false;
      bytes += got;
      offset += static_cast<std::uint64_t>(got);
      length -= static_cast<std::uint64_t>(got);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_ = 0;
};

struct Elf32Types {
  using Ehdr = Elf32_Ehdr;
  using Shdr = Elf32_Shdr;
};
struct Elf64Types {
  using Ehdr = Elf64_Ehdr;
  using Shdr = Elf64_Shdr;
};

template <typename Types>
std::optional<FixedVersionRecord> FindVersionRecord(const FileReader& file) {
  typename Types::Ehdr header{};
  if (!file.Read(0, &header, sizeof header)) return std::nullopt;
  if (header.e_shentsize != sizeof(typename Types::Shdr)) return std::nullopt;

  auto sectionHeader = [&](std::uint64_t index, typename Types::Shdr& out) {
    return file.Read(header.e_shoff + index * sizeof out, &out, sizeof out);
  };

  // Large section counts and string-table indices live in section 0.
  std::uint64_t count = header.e_shnum;
  std::uint64_t namesIndex = header.e_shstrndx;
  if (count == 0 || namesIndex == SHN_XINDEX) {
    typename Types::Shdr first{};
    if (!sectionHeader(0, first)) return std::nullopt;
    if (count == 0) count = first.sh_size;
    if (namesIndex == SHN_XINDEX) namesIndex = first.sh_link;
  }
  if (count == 0 || count > (std::uint64_t{1} << 32) || namesIndex >= count) return std::nullopt;

  typename Types::Shdr names{};
  if (!sectionHeader(namesIndex, names) || names.sh_type == SHT_NOBITS) return std::nullopt;

  const std::string_view wanted(kVersionSectionName);
  char name[sizeof kVersionSectionName] = {};
  for (std::uint64_t i = 0; i < count; ++i) {
    typename Types::Shdr section{};
    if (!sectionHeader(i, section)) return std::nullopt;
    if (section.sh_name >= names.sh_size || names.sh_size - section.sh_name < sizeof name) continue;
    if (!file.Read(names.sh_offset + section.sh_name, name, sizeof name)) continue;
    if (std::string_view(name, sizeof name) != std::string_view(wanted.data(), sizeof name)) {
      continue;
    }
    if (section.sh_type == SHT_NOBITS || section.sh_size < sizeof(FixedVersionRecord)) {
      return std::nullopt;
    }
    FixedVersionRecord record{};
    if (!file.Read(section.sh_offset, &record, sizeof record)) return std::nullopt;
    return record;
  }
  return std::nullopt;
}

}  // namespace

std::optional<VersionParts> ReadProductVersion(const std::string& path) {
  const FileReader file(path);
  unsigned char ident[EI_NIDENT] = {};
  if (!file.Read(0, ident, sizeof ident)) return std::nullopt;
  if (std::memcmp(ident, ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB) {
    return std::nullopt;
  }
  std::optional<FixedVersionRecord> record;
  if (ident[EI_CLASS] == ELFCLASS64) {
    record = FindVersionRecord<Elf64Types>(file);
  } else if (ident[EI_CLASS] == ELFCLASS32) {
    record = FindVersionRecord<Elf32Types>(file);
  }
  if (!record || record->Signature != kVersionSignature) return std::nullopt;
  return VersionParts{static_cast<std::uint16_t>(record->ProductVersionMS >> 16),
                      static_cast<std::uint16_t>(record->ProductVersionMS & 0xFFFFu),
                      static_cast<std::uint16_t>(record->ProductVersionLS >> 16),
                      static_cast<std::uint16_t>(record->ProductVersionLS & 0xFFFFu)};
}

bool IsWow64() {
  if constexpr (sizeof(void*) != 4) {
    return false;
  } else {
    utsname system{};
    if (uname(&system) != 0) return false;
    const std::string_view machine(system.machine);
    return machine == "x86_64" || machine == "aarch64";
  }
}

std::string FormatVersionLine(const std::string& path, const VersionParts& parts, bool wow64) {
  int shown[4];
  for (int i = 0; i < 4; ++i) shown[i] = wow64 ? (parts[i] & 0xFF) : parts[i];
  return Format("%s: %d.%d.%d.%d\n", path.c_str(), shown[0], shown[1], shown[2], shown[3]);
}

namespace {

// The first loaded object named `name` or `name.<anything>`, its path made
// absolute and normalised.
int FindLoaded(dl_phdr_info* info, std::size_t, void* data) {
  auto* search = static_cast<std::pair<std::string_view, std::string>*>(data);
  const std::string_view path = info->dlpi_name != nullptr ? info->dlpi_name : "";
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return 0;
  const std::string_view file = path.substr(slash + 1);
  const std::string_view name = search->first;
  if (file.substr(0, name.size()) != name) return 0;
  if (file.size() != name.size() && file[name.size()] != '.') return 0;
  search->second = std::string(path);
  return 1;
}

}  // namespace

std::optional<std::string> LibraryFile(const std::string& name) {
  const ResolvedPath beside = ResolvePath(name);
  if (!beside || access(beside->c_str(), F_OK) == 0) return beside;
  std::pair<std::string_view, std::string> search{name, {}};
  dl_iterate_phdr(FindLoaded, &search);
  if (search.second.empty()) return beside;
  const ResolvedPath loaded = ResolvePathFrom(search.second, std::string(), WorkingDirectory());
  return loaded ? loaded : beside;
}

void PrintLibraryVersion(const std::string& path) {
  const std::optional<VersionParts> parts = ReadProductVersion(path);
  if (!parts) return;
  std::fputs(FormatVersionLine(path, *parts, IsWow64()).c_str(), stdout);
}

}  // namespace sensor::frontend
