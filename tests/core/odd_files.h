#pragma once

// Files that are not regular files, for tests of reading and writing saves and label files.
//
//   MakeFifo(dir / "pipe");
//   for (const OddFile& odd : MakeOddFiles(dir.Path())) ... odd.path, odd.kind

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvath::testing {

inline void MakeFifo(const std::filesystem::path& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path.string());
}

// A listening-less Unix socket bound to path; the descriptor is closed, the node stays.
inline void MakeSocket(const std::filesystem::path& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const std::string name = path.string();
  if (fd < 0 || name.size() >= sizeof addr.sun_path) throw std::runtime_error("socket " + name);
  std::memcpy(addr.sun_path, name.c_str(), name.size() + 1);
  const int rc = ::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  ::close(fd);
  if (rc != 0) throw std::runtime_error("bind " + name);
}

// A character device like /dev/null, made in path so that a failed test cannot harm the real
// one. false where the process may not make devices.
inline bool MakeNullDevice(const std::filesystem::path& path) {
  return ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
}

// Why odd files cannot be made here, or nullptr where they can. Node's file system has no calls to
// make FIFOs, sockets or devices; the command-line suite still hands them to the node program.
#ifdef __EMSCRIPTEN__
inline constexpr const char* kNoOddFiles = "no FIFOs, sockets or devices can be made under node";
#else
inline constexpr const char* kNoOddFiles = nullptr;
#endif

struct OddFile {
  std::string kind;
  std::filesystem::path path;
};

// A FIFO, a socket, a folder and, where allowed, a character device, all inside dir.
inline std::vector<OddFile> MakeOddFiles(const std::filesystem::path& dir) {
  std::vector<OddFile> odd = {
      {"fifo", dir / "fifo"}, {"socket", dir / "socket"}, {"folder", dir / "folder"}};
  MakeFifo(odd[0].path);
  MakeSocket(odd[1].path);
  std::filesystem::create_directory(odd[2].path);
  if (MakeNullDevice(dir / "device")) odd.push_back({"device", dir / "device"});
  return odd;
}

}  // namespace korvath::testing
