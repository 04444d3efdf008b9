// How much a probe run costs beyond the platform reads it is made of: N whole runs of
// run_probe() against N replays of exactly the same calls and WMI queries through the same
// adapter, without building any row. Prints both times and their ratio.
//
// usage: probe_overhead.exe [runs]   (default 10)

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "base/handles_win32.h"
#include "probe/platform_win32.h"
#include "probe/sections.h"

namespace {

using namespace kestro;
using namespace kestro::probe;

enum class Call {
  IsAdmin, Ticks, Connect, Query, Release, Version, Adapters, Displays,
  DriveMask, IsFixed, DriveSpace, Batteries, Power
};

struct Event {
  Event(Call c, int s = -1, char l = 0, std::string t = {})
      : call(c), session(s), letter(l), text(std::move(t)) {}
  Call call;
  int session;                    // Connect, Query, Release
  char letter;                    // IsFixed, DriveSpace
  std::string text;               // namespace (Connect) or WQL (Query)
  std::vector<std::string> properties;
  // What the adapter answered, for the run on recorded answers.
  wmi::WmiResult rows;
  std::uint64_t number = 0;       // IsAdmin, Ticks, Connect (1: opened), DriveMask, IsFixed
  VersionValues version;
  std::vector<GraphicsAdapter> adapters;
  std::optional<DisplayConfig> displays;
  std::optional<probe::DriveSpace> space;
  std::vector<BatteryInfo> batteries;
  std::optional<PowerStatus> power;
};

class RecordingSession final : public wmi::WmiSession {
 public:
  RecordingSession(std::unique_ptr<wmi::WmiSession> inner, int id, std::vector<Event>& log)
      : inner_(std::move(inner)), id_(id), log_(log) {}
  ~RecordingSession() override { log_.emplace_back(Call::Release, id_); }
  wmi::WmiResult query_text(std::string_view wql, wmi::PropertyList properties) override {
    Event event(Call::Query, id_, 0, std::string(wql));
    for (std::string_view p : properties) event.properties.emplace_back(p);
    event.rows = inner_->query_text(wql, properties);
    log_.push_back(event);
    return event.rows;
  }

 private:
  std::unique_ptr<wmi::WmiSession> inner_;
  int id_;
  std::vector<Event>& log_;
};

// Passes every read to the real adapter and writes down the call.
class RecordingPlatform final : public ProbePlatform {
 public:
  explicit RecordingPlatform(ProbePlatform& inner) : inner_(inner) {}
  std::vector<Event> log;

  bool is_admin() override {
    return (log.emplace_back(Call::IsAdmin).number = inner_.is_admin()) != 0;
  }
  std::uint64_t milliseconds_since_boot() override {
    return log.emplace_back(Call::Ticks).number = inner_.milliseconds_since_boot();
  }
  std::unique_ptr<wmi::WmiSession> connect(std::string_view ns) override {
    const int id = next_session_++;
    Event& event = log.emplace_back(Call::Connect, id, 0, std::string(ns));
    auto session = inner_.connect(ns);
    if (!session) return nullptr;
    event.number = 1;
    return std::make_unique<RecordingSession>(std::move(session), id, log);
  }
  VersionValues windows_version_values() override {
    return log.emplace_back(Call::Version).version = inner_.windows_version_values();
  }
  std::vector<GraphicsAdapter> graphics_adapters() override {
    return log.emplace_back(Call::Adapters).adapters = inner_.graphics_adapters();
  }
  std::optional<DisplayConfig> display_config() override {
    return log.emplace_back(Call::Displays).displays = inner_.display_config();
  }
  std::uint32_t logical_drive_mask() override {
    const std::uint32_t mask = inner_.logical_drive_mask();
    log.emplace_back(Call::DriveMask).number = mask;
    return mask;
  }
  bool is_fixed_drive(char letter) override {
    return (log.emplace_back(Call::IsFixed, -1, letter).number = inner_.is_fixed_drive(letter)) != 0;
  }
  std::optional<probe::DriveSpace> drive_space(char letter) override {
    return log.emplace_back(Call::DriveSpace, -1, letter).space = inner_.drive_space(letter);
  }
  std::vector<BatteryInfo> batteries() override {
    return log.emplace_back(Call::Batteries).batteries = inner_.batteries();
  }
  std::optional<PowerStatus> power_status() override {
    return log.emplace_back(Call::Power).power = inner_.power_status();
  }

 private:
  ProbePlatform& inner_;
  int next_session_ = 0;
};

// Hands out the recorded answers in recorded order, without any platform call: what is left
// of a run is the probe's own work.
class AnsweringPlatform final : public ProbePlatform {
 public:
  explicit AnsweringPlatform(const std::vector<Event>& log) : log_(log) {}
  void restart() { next_ = 0; }

  bool is_admin() override { return take().number != 0; }
  std::uint64_t milliseconds_since_boot() override { return take().number; }
  std::unique_ptr<wmi::WmiSession> connect(std::string_view) override;
  VersionValues windows_version_values() override { return take().version; }
  std::vector<GraphicsAdapter> graphics_adapters() override { return take().adapters; }
  std::optional<DisplayConfig> display_config() override { return take().displays; }
  std::uint32_t logical_drive_mask() override { return static_cast<std::uint32_t>(take().number); }
  bool is_fixed_drive(char) override { return take().number != 0; }
  std::optional<probe::DriveSpace> drive_space(char) override { return take().space; }
  std::vector<BatteryInfo> batteries() override { return take().batteries; }
  std::optional<PowerStatus> power_status() override { return take().power; }

  // Release events belong to the recording's bookkeeping; the answers skip them.
  const Event& take() {
    while (next_ < log_.size() && log_[next_].call == Call::Release) ++next_;
    static const Event none(Call::Release);
    return next_ < log_.size() ? log_[next_++] : none;
  }

 private:
  const std::vector<Event>& log_;
  std::size_t next_ = 0;
};

class AnsweringSession final : public wmi::WmiSession {
 public:
  explicit AnsweringSession(AnsweringPlatform& platform) : platform_(platform) {}
  wmi::WmiResult query_text(std::string_view, wmi::PropertyList) override {
    return platform_.take().rows;
  }

 private:
  AnsweringPlatform& platform_;
};

std::unique_ptr<wmi::WmiSession> AnsweringPlatform::connect(std::string_view) {
  if (take().number == 0) return nullptr;
  return std::make_unique<AnsweringSession>(*this);
}

// The same calls in the same order, results dropped. Returns a count so nothing is optimised
// away.
std::size_t replay(ProbePlatform& platform, const std::vector<Event>& log) {
  std::vector<std::unique_ptr<wmi::WmiSession>> sessions;
  std::size_t answers = 0;
  for (const Event& e : log) {
    switch (e.call) {
      case Call::IsAdmin: answers += platform.is_admin(); break;
      case Call::Ticks: answers += platform.milliseconds_since_boot() != 0; break;
      case Call::Connect:
        if (sessions.size() <= static_cast<std::size_t>(e.session)) sessions.resize(e.session + 1);
        sessions[e.session] = platform.connect(e.text);
        break;
      case Call::Query:
        if (sessions[e.session]) {
          std::vector<std::string_view> properties(e.properties.begin(), e.properties.end());
          const wmi::WmiResult rows = sessions[e.session]->query_text(e.text, properties);
          answers += rows ? rows->size() : 0;
        }
        break;
      case Call::Release: sessions[e.session].reset(); break;
      case Call::Version: answers += platform.windows_version_values().display_version.size(); break;
      case Call::Adapters: answers += platform.graphics_adapters().size(); break;
      case Call::Displays: answers += platform.display_config().has_value(); break;
      case Call::DriveMask: answers += platform.logical_drive_mask(); break;
      case Call::IsFixed: answers += platform.is_fixed_drive(e.letter); break;
      case Call::DriveSpace: answers += platform.drive_space(e.letter).has_value(); break;
      case Call::Batteries: answers += platform.batteries().size(); break;
      case Call::Power: answers += platform.power_status().has_value(); break;
    }
  }
  return answers;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const ComApartment com(COINIT_MULTITHREADED);  // as the probe thread has it
  WindowsProbePlatform windows;

  // One recorded run (also warms up WMI, DXGI and the registry).
  RecordingPlatform recorder(windows);
  const Report first = run_probe(recorder);
  std::size_t queries = 0;
  for (const Event& e : recorder.log) queries += e.call == Call::Query;
  std::printf("recorded %zu platform calls (%zu WMI queries); report has %zu sections\n",
              recorder.log.size(), queries, first.sections.size());
  replay(windows, recorder.log);

  // Interleaved, and taking turns at going first, so slow drifts of Wine's services and the
  // warm-up one run leaves for the next hit both sides alike.
  double probe_seconds = 0;
  double bare_seconds = 0;
  std::size_t sink = 0;
  const auto time_probe = [&] {
    const auto start = std::chrono::steady_clock::now();
    sink += run_probe(windows).sections.size();
    probe_seconds += seconds_since(start);
  };
  const auto time_bare = [&] {
    const auto start = std::chrono::steady_clock::now();
    sink += replay(windows, recorder.log);
    bare_seconds += seconds_since(start);
  };
  for (int i = 0; i < runs; ++i) {
    if (i % 2 == 0) {
      time_probe();
      time_bare();
    } else {
      time_bare();
      time_probe();
    }
  }
  // The probe's own work: the same run on the recorded answers.
  AnsweringPlatform answers(recorder.log);
  const int core_runs = 1000;
  const auto core_start = std::chrono::steady_clock::now();
  for (int i = 0; i < core_runs; ++i) {
    answers.restart();
    sink += run_probe(answers).sections.size();
  }
  const double core_seconds = seconds_since(core_start) / core_runs;
  answers.restart();
  const bool same_report = run_probe(answers).sections.size() == first.sections.size();

  std::printf("runs: %d\nrun_probe: %.2f ms per run\nbare platform reads: %.2f ms per run\n",
              runs, probe_seconds * 1000 / runs, bare_seconds * 1000 / runs);
  std::printf("run_probe on recorded answers: %.1f us per run (%s)\n", core_seconds * 1e6,
              same_report ? "same sections" : "DIFFERENT sections");
  std::printf("ratio run_probe / bare reads: %.4f (sink %zu)\n", probe_seconds / bare_seconds,
              sink);
  return 0;
}
