#pragma once
// An updater platform with scripted answers that logs every call in order, so tests can see
// what ran, what was read and deleted, and when the held file was let go.

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/platform.h"
#include "base/utf16.h"

namespace kestro::test {

// An SpcSpOpusInfo naming `program` as a BMPString, encoded as signing tools write it.
inline std::string opus(std::string_view program) {
  std::u16string units = to_utf16(program);
  std::string name;
  for (const char16_t unit : units) name += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  const auto element = [](char tag, const std::string& contents) {
    std::string head{tag};
    if (contents.size() > 0x7F) head += {'\x82', static_cast<char>(contents.size() >> 8)};
    return head + static_cast<char>(contents.size() & 0xFF) + contents;
  };
  return element('\x30', element('\xA0', element('\x80', name)));
}

// SHA-256 of "test", the digest the updater tests' manifests promise.
inline constexpr const char* kDigest = "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";
// Where the updater tests' downloads land, in the fake's working folder.
inline constexpr const char* kInstaller = "C:\\T\\Kestro\\Kestro-Setup-1.2.0.exe";

class FakeUpdaterPlatform : public updater::UpdaterPlatform {
 public:
  // Input.
  std::optional<std::string> directory = "C:\\T\\Kestro";
  updater::FolderFacts facts{true, true, false};
  std::vector<std::string> listed;             // what files_matching finds
  std::map<std::string, int> busy;             // a path's deletes that fail before one works
  std::optional<std::string> fetch_failure;    // text fetch() fails with
  std::string served;                          // what a successful fetch "downloaded"
  std::optional<std::string> open_failure;     // text opening or reading a file fails with
  std::optional<std::string> read_failure;     // text a read through the held file fails with
  bool read_throws = false;                    // a read through the held file throws
  std::optional<std::string> digest;           // nothing: the digest cannot be computed
  updater::SignatureReading signature{0, "Norvale Tech Co., Ltd.", 0, opus("Kestro Setup"), 0};
  std::optional<updater::VersionResource> version = updater::VersionResource{{1, 2, 0, 0}, "Kestro"};

  // Output.
  std::vector<std::string> calls;
  std::string hashed;           // the bytes handed to the digest
  std::size_t largest_read = 0;  // the largest piece asked for at once
  int held_open = 0;             // held files not yet let go

  class Held final : public updater::HeldFile {
   public:
    Held(FakeUpdaterPlatform& owner, std::string path) : owner_(owner), path_(std::move(path)) {
      ++owner_.held_open;
    }
    ~Held() override {
      --owner_.held_open;
      owner_.calls.push_back("release " + path_);
    }
    std::optional<std::uint64_t> size() override {
      owner_.calls.push_back("size");
      return owner_.served.size();
    }
    std::optional<std::size_t> read(std::span<char> buffer) override {
      owner_.largest_read = std::max(owner_.largest_read, buffer.size());
      if (owner_.read_throws) throw std::bad_alloc();
      if (owner_.read_failure) return std::nullopt;
      const std::size_t count = std::min(buffer.size(), owner_.served.size() - offset_);
      std::memcpy(buffer.data(), owner_.served.data() + offset_, count);
      offset_ += count;
      return count;
    }
    std::string error() const override { return owner_.read_failure.value_or(""); }

   private:
    FakeUpdaterPlatform& owner_;
    std::string path_;
    std::size_t offset_ = 0;
  };

  class Digest final : public updater::Sha256 {
   public:
    explicit Digest(FakeUpdaterPlatform& owner) : owner_(owner) {}
    void add(std::string_view bytes) override { owner_.hashed += bytes; }
    std::optional<std::string> finish() override {
      owner_.calls.push_back("digest");
      return owner_.digest;
    }

   private:
    FakeUpdaterPlatform& owner_;
  };

  updater::TextOrError working_directory() override {
    calls.push_back("directory");
    if (!directory) return {std::nullopt, "no temp (os error 3)"};
    return {*directory, {}};
  }
  updater::FolderFacts folder_facts(std::string_view) override { return facts; }
  std::vector<std::string> files_matching(std::string_view directory,
                                          std::string_view pattern) override {
    calls.push_back("list " + std::string(directory) + " " + std::string(pattern));
    return listed;
  }
  void pause(std::uint32_t milliseconds) override {
    calls.push_back("pause " + std::to_string(milliseconds));
  }
  std::optional<std::string> fetch(std::string_view url, std::string_view destination,
                                   std::uint64_t max_bytes) override {
    calls.push_back("fetch " + std::string(url) + " -> " + std::string(destination) + " max " +
                    std::to_string(max_bytes));
    return fetch_failure;
  }
  updater::TextOrError read_file(std::string_view path, std::uint64_t max_bytes) override {
    calls.push_back("read " + std::string(path));
    if (open_failure) return {std::nullopt, *open_failure};
    return {served.substr(0, max_bytes + 1), {}};
  }
  updater::HeldOpen open_held(std::string_view path) override {
    calls.push_back("hold " + std::string(path));
    if (open_failure) return {nullptr, *open_failure};
    return {std::make_unique<Held>(*this, std::string(path)), {}};
  }
  std::unique_ptr<updater::Sha256> sha256() override { return std::make_unique<Digest>(*this); }
  updater::SignatureReading read_signature(updater::HeldFile&, std::string_view path) override {
    calls.push_back("signature " + std::string(path));
    return signature;
  }
  std::optional<updater::VersionResource> version_resource(updater::HeldFile&) override {
    calls.push_back("version");
    return version;
  }
  bool delete_file(std::string_view path) override {
    calls.push_back("delete " + std::string(path));
    return deleted(path);
  }
  bool delete_unused(std::string_view path) override {
    calls.push_back("delete unused " + std::string(path));
    return deleted(path);
  }
  bool deleted(std::string_view path) {
    const auto still = busy.find(std::string(path));
    return still == busy.end() || still->second-- <= 0;
  }
};

}  // namespace kestro::test
