#pragma once
// An updater platform with scripted answers that logs every call in order, so tests can see
// what ran, what was deleted and when the held file was let go.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/updater/platform.h"

namespace kestro::test {

class FakeUpdaterPlatform : public updater::UpdaterPlatform {
 public:
  // Input.
  std::optional<std::string> directory = "C:\\T\\Kestro";
  std::optional<std::string> fetch_failure;    // text fetch() fails with
  std::string served;                          // what a successful fetch "downloaded"
  std::optional<std::string> read_failure;     // text the read fails with
  std::optional<std::string> digest;           // nothing: the digest cannot be computed
  updater::SignatureReading signature{0, "Norvale Tech Co., Ltd.", 0};

  // Output.
  std::vector<std::string> calls;
  std::string hashed;  // the bytes handed to sha256_hex
  int held_open = 0;   // held files not yet let go

  class Held final : public updater::HeldFile {
   public:
    Held(FakeUpdaterPlatform& owner, std::string path) : owner_(owner), path_(std::move(path)) {
      ++owner_.held_open;
    }
    ~Held() override {
      --owner_.held_open;
      owner_.calls.push_back("release " + path_);
    }

   private:
    FakeUpdaterPlatform& owner_;
    std::string path_;
  };

  updater::TextOrError working_directory() override {
    calls.push_back("directory");
    if (!directory) return {std::nullopt, "no temp (os error 3)"};
    return {*directory, {}};
  }
  std::optional<std::string> fetch(std::string_view url, std::string_view destination) override {
    calls.push_back("fetch " + std::string(url) + " -> " + std::string(destination));
    return fetch_failure;
  }
  updater::TextOrError read_file(std::string_view path) override {
    calls.push_back("read " + std::string(path));
    if (read_failure) return {std::nullopt, *read_failure};
    return {served, {}};
  }
  updater::HeldRead read_held(std::string_view path) override {
    calls.push_back("hold " + std::string(path));
    updater::HeldRead read;
    if (read_failure) {
      read.error = *read_failure;
      return read;
    }
    read.file = std::make_unique<Held>(*this, std::string(path));
    read.bytes = served;
    return read;
  }
  std::optional<std::string> sha256_hex(std::string_view bytes) override {
    calls.push_back("hash");
    hashed = std::string(bytes);
    return digest;
  }
  updater::SignatureReading read_signature(std::string_view path) override {
    calls.push_back("signature " + std::string(path));
    return signature;
  }
  void delete_file(std::string_view path) override {
    calls.push_back("delete " + std::string(path));
  }
};

}  // namespace kestro::test
