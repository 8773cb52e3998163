// ondrix-bench-table: every figure of the panel's speed beside its reference, measured in the same run.
//
// Each figure is taken in rounds; a round runs the panel's side and its reference once each, in turns
// (the order alternates between rounds), so that a burst of load from other work on the machine hits
// both sides of a pair. A figure is the median over the rounds; its ratio is the median of the rounds'
// ratios. The spread column is the interquartile range of those ratios, a measure of the machine's noise.
//
// Everything runs in a scratch folder (preferences, reply file, home); the folder service is the
// simulator on a free loopback port.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Paths {
  std::string host = ONDRIX_HOST_EXE;
  std::string bundle = ONDRIX_BUNDLE_DIR;
  std::string sim = ONDRIX_SIM_EXE;
  std::string cycle = ONDRIX_CYCLE_EXE;
  std::string floor = ONDRIX_FLOOR_EXE;
  std::string soapBench = ONDRIX_SOAP_BENCH_EXE;
  std::string curl = "curl";
  std::string ppd() const { return bundle + "/Contents/Resources/ppd/demo-filing.ppd"; }
  std::string request() const { return bundle + "/Contents/Resources/listfiles2.xml"; }
};

struct Run {
  double wallMs = 0;
  double maxRssMiB = 0;
  std::string out;
  bool ok = false;
};

std::vector<std::string> childEnvironment;

// Runs the command to its end with stdout captured and stderr dropped, or the other way round.
Run run(const std::vector<std::string>& argv, bool captureStderr = false) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> env;
  for (const auto& e : childEnvironment) env.push_back(const_cast<char*>(e.c_str()));
  env.push_back(nullptr);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], captureStderr ? 2 : 1);
  posix_spawn_file_actions_addopen(&actions, captureStderr ? 1 : 2, "/dev/null", O_WRONLY, 0);

  Run result;
  pid_t pid = 0;
  const auto start = Clock::now();
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (rc != 0) {
    ::close(pipeFds[0]);
    return {};
  }
  char chunk[4096];
  ssize_t n = 0;
  while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) result.out.append(chunk, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  result.wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  result.maxRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return result;
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const std::size_t m = v.size() / 2;
  return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

double quantile(std::vector<double> v, double q) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5)];
}

struct Pair {
  std::vector<double> ours, reference, ratios;
  void add(double a, double b) {
    ours.push_back(a);
    reference.push_back(b);
    ratios.push_back(b > 0 ? a / b : 0);
  }
};

// Runs both sides once per round, in alternating order; each side yields its figures.
void paired(int rounds, const std::function<Run()>& a, const std::function<Run()>& b,
            const std::function<void(const Run&, const Run&)>& take) {
  for (int r = 0; r < rounds; ++r) {
    Run x, y;
    if (r % 2 == 0) {
      x = a();
      y = b();
    } else {
      y = b();
      x = a();
    }
    if (!x.ok || !y.ok) {
      std::cerr << "ondrix-bench-table: a run failed\n";
      std::exit(1);
    }
    take(x, y);
  }
}

std::string fixed(double v, int digits) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", digits, v);
  return buffer;
}

void row(const std::string& figure, const std::string& reference, const Pair& p, const std::string& unit,
         int digits, const std::string& goal) {
  const double spread = quantile(p.ratios, 0.75) - quantile(p.ratios, 0.25);
  std::cout << "| " << figure << " | " << fixed(median(p.ours), digits) << ' ' << unit << " | " << reference << ' '
            << fixed(median(p.reference), digits) << ' ' << unit << " | " << fixed(median(p.ratios), 2) << "× | ±"
            << fixed(spread / 2, 2) << " | " << goal << " |\n";
}

// Instructions the command executes, counted by callgrind: free of the machine's noise, and so the figure
// to trust when the load average is high. 0 when valgrind is missing or the run failed.
double instructions(const std::vector<std::string>& argv) {
  std::vector<std::string> command{"valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null"};
  command.insert(command.end(), argv.begin(), argv.end());
  const Run r = run(command, true);
  const std::size_t at = r.out.find("refs:");
  if (!r.ok || at == std::string::npos) return 0;
  std::string digits;
  for (std::size_t i = at + 5; i < r.out.size() && r.out[i] != '\n'; ++i) {
    if (r.out[i] >= '0' && r.out[i] <= '9') digits += r.out[i];
  }
  return digits.empty() ? 0 : std::atof(digits.c_str());
}

std::string instructionRow(const std::string& figure, const std::string& reference, double ours, double theirs,
                           const std::string& goal) {
  return "| " + figure + " | " + fixed(ours / 1e6, 2) + " M | " + reference + ' ' + fixed(theirs / 1e6, 2) + " M | " +
         fixed(theirs > 0 ? ours / theirs : 0, 2) + "× | " + goal + " |\n";
}

std::string firstLine(const std::string& path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(key.size());
  }
  return "?";
}

double loadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// The simulator with n folders, every third one protected; stopped when this object goes.
class Simulator {
 public:
  Simulator(const Paths& paths, const fs::path& scratch, int n) {
    const fs::path list = scratch / ("folders-" + std::to_string(n) + ".txt");
    {
      std::ofstream out(list);
      for (int i = 1; i <= n; ++i) {
        out << "Folder " << i << (i % 3 == 0 ? "\tprotected" : "") << '\n';
      }
    }
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    const std::vector<std::string> argv{paths.sim, "--folders", list.string(), "--max-seconds", "3600"};
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string line;
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(pipeFds[0]);
    if (line.rfind("port=", 0) == 0) address_ = "127.0.0.1:" + line.substr(5);
  }
  ~Simulator() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& address() const { return address_; }

 private:
  pid_t pid_ = 0;
  std::string address_;
};

std::vector<std::string> hostCommand(const Paths& p, const std::string& queue, std::vector<std::string> steps) {
  std::vector<std::string> argv{p.host, "--queue", queue};
  argv.insert(argv.end(), steps.begin(), steps.end());
  return argv;
}

// The SOAP client's completion latency from the existing Google Benchmark: median of repetitions, µs.
void soapRows(const Paths& p, int repetitions) {
  const Run r = run({p.soapBench, "--benchmark_format=json", "--benchmark_repetitions=" + std::to_string(repetitions),
                     "--benchmark_report_aggregates_only=true"});
  const auto json = nlohmann::json::parse(r.out, nullptr, false);
  if (!r.ok || json.is_discarded()) {
    std::cout << "| SOAP completion latency | (the benchmark failed) | | | | |\n";
    return;
  }
  for (const auto& b : json["benchmarks"]) {
    if (b.value("aggregate_name", "") != "median") continue;
    const std::string name = b.value("run_name", b.value("name", ""));
    const bool idle = name.find("busyHost:0") != std::string::npos;
    const std::string size = name.find("bytes:1024/") != std::string::npos ? "1 KiB" : "256 KiB";
    std::cout << "| reply complete → sendMessage returns, " << size << ", " << (idle ? "idle" : "busy")
              << " host | " << fixed(b.value("real_time", 0.0) / 1000.0, 3) << " ms | – | – | – | "
              << (idle ? "≤ 1 ms" : "–") << " |\n";
  }
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = 15;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--rounds=", 0) == 0) rounds = std::max(3, std::atoi(a.c_str() + 9));
    else {
      std::cerr << "usage: ondrix-bench-table [--rounds=N]\n";
      return 2;
    }
  }
  Paths paths;

  // A scratch home for everything the runs store.
  char pattern[] = "/tmp/ondrix-bench-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  if (!made) return 1;
  const fs::path scratch = made;
  for (const char* sub : {"home", "config", "run"}) fs::create_directories(scratch / sub);
  fs::permissions(scratch / "run", fs::perms::owner_all, fs::perm_options::replace);
  const std::vector<std::string> replaced{"HOME=", "XDG_CONFIG_HOME=", "XDG_RUNTIME_DIR=", "no_proxy=", "NO_PROXY="};
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (std::none_of(replaced.begin(), replaced.end(), [&](const std::string& r) { return entry.rfind(r, 0) == 0; }))
      childEnvironment.push_back(entry);
  }
  childEnvironment.push_back("HOME=" + (scratch / "home").string());
  childEnvironment.push_back("XDG_CONFIG_HOME=" + (scratch / "config").string());
  childEnvironment.push_back("XDG_RUNTIME_DIR=" + (scratch / "run").string());
  childEnvironment.push_back("no_proxy=*");

  utsname u{};
  ::uname(&u);
  const std::time_t now = std::time(nullptr);
  char date[64];
  std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&now));
  const double loadBefore = loadAverage();
  std::cout << "date: " << date << "\nmachine: " << u.nodename << ", " << firstLine("/proc/cpuinfo", "model name\t: ")
            << ", " << sysconf(_SC_NPROCESSORS_ONLN) << " cores, Linux " << u.release << "\nrounds: " << rounds
            << " paired runs per figure; load average at start " << fixed(loadBefore, 2) << "\n\n";
  std::cout << "| figure | panel | reference | ratio (median of pairs) | ± (half IQR of ratios) | goal |\n"
            << "|---|---|---|---|---|---|\n";

  // The same figures in instructions, one run each, printed after the timed table.
  const bool counting = run({"valgrind", "--version"}).ok;
  std::string counted;

  const std::vector<std::string> plainSteps{"view", "restore", "save", "print"};
  const auto hostPlain = [&](const std::string& queue) { return run(hostCommand(paths, queue, plainSteps)); };
  const std::vector<std::string> curlFileCommand{paths.curl, "-s", "-o", "/dev/null", "file:///dev/null"};
  const auto curlFile = [&] { return run(curlFileCommand); };

  // The host process against curl and /bin/true: wall and peak memory.
  hostPlain("Plain");
  Pair wall, rss, wallTrue;
  paired(rounds, [&] { return hostPlain("Plain"); }, curlFile, [&](const Run& a, const Run& b) {
    wall.add(a.wallMs, b.wallMs);
    rss.add(a.maxRssMiB, b.maxRssMiB);
  });
  paired(rounds, [&] { return hostPlain("Plain"); }, [] { return run({"/bin/true"}); },
         [&](const Run& a, const Run& b) { wallTrue.add(a.wallMs, b.wallMs); });
  row("host `view restore save print`, wall", "curl file:///dev/null", wall, "ms", 1, "≤ 1.2×");
  row("the same, wall", "/bin/true", wallTrue, "ms", 1, "–");
  row("its peak RSS", "curl's", rss, "MiB", 1, "≤ 1.1×");
  if (counting) {
    counted += instructionRow("host `view restore save print`", "curl file:///dev/null",
                              instructions(hostCommand(paths, "Plain", plainSteps)),
                              instructions(curlFileCommand), "≤ 1.2×");
  }

  // One cycle inside a process against the I/O floor, both on a domain of the same size.
  {
    const std::string cycles = "20";
    const fs::path domain = scratch / "config" / "ondrix-pde" / "ondrix.mfp.Cycle.plist";
    run({paths.cycle, paths.bundle, paths.ppd(), "Cycle", "2"});
    const fs::path floorDomain = scratch / "floor.plist";
    fs::copy_file(domain, floorDomain, fs::copy_options::overwrite_existing);
    Pair cpu;
    paired(
        rounds, [&] { return run({paths.cycle, paths.bundle, paths.ppd(), "Cycle", cycles}); },
        [&] { return run({paths.floor, paths.ppd(), floorDomain.string(), cycles}); },
        [&](const Run& a, const Run& b) { cpu.add(std::atof(a.out.c_str()) / 1000, std::atof(b.out.c_str()) / 1000); });
    row("one cycle in a process (CPU, cycles 2..20)", "I/O floor", cpu, "ms", 2, "≤ 1.2×");
    if (counting) {
      // Per cycle: twelve cycles minus two, over ten.
      const auto cycle = [&](const char* n) {
        return instructions({paths.cycle, paths.bundle, paths.ppd(), "Cycle", n});
      };
      const auto floor = [&](const char* n) { return instructions({paths.floor, paths.ppd(), floorDomain.string(), n}); };
      counted += instructionRow("one cycle in a process", "I/O floor", (cycle("12") - cycle("2")) / 10,
                                (floor("12") - floor("2")) / 10, "≤ 1.2×");
    }
  }

  // The folder query against curl's POST of the same request to the same service. The host's first
  // query stores the list, so every measured one replaces a stored list, as a second query does.
  for (int n : {10, 1000, 10000}) {
    Simulator sim(paths, scratch, n);
    if (sim.address().empty()) {
      std::cerr << "ondrix-bench-table: the simulator did not start\n";
      return 1;
    }
    const std::string queue = "Query" + std::to_string(n);
    const std::vector<std::string> queryCommand = hostCommand(
        paths, queue, {"view", "restore", "set", "printersAddressEditText", sim.address(), "click", "getFolderNameButton"});
    const std::vector<std::string> postCommand{
        paths.curl, "-s", "-o", (scratch / "curl-reply.xml").string(), "-H", "SOAPAction: \"SoapActionDummy\"", "-H",
        "Content-Type: application/soap; charset=\"utf-8\"", "--data-binary", "@" + paths.request(),
        "http://" + sim.address() + "/ondrix-mfp-srv"};
    const auto query = [&] { return run(queryCommand); };
    const auto post = [&] { return run(postCommand); };
    query();
    Pair p, mem;
    paired(rounds, query, post, [&](const Run& a, const Run& b) {
      p.add(a.wallMs, b.wallMs);
      mem.add(a.maxRssMiB, b.maxRssMiB);
    });
    const std::string goal = n == 10000 ? "≤ 2×" : "≤ 1.5×";
    row("folder query, " + std::to_string(n) + " folders, wall", "curl POST", p, "ms", 1, goal);
    if (n == 10000) row("its peak RSS", "curl's", mem, "MiB", 1, "–");
    if (counting) {
      counted += instructionRow("folder query, " + std::to_string(n) + " folders", "curl POST",
                                instructions(queryCommand), instructions(postCommand), goal);
    }
  }

  // A plain cycle on the queue that now stores 10,000 folders against one that stores none.
  {
    Pair p, mem;
    paired(rounds, [&] { return hostPlain("Query10000"); }, [&] { return hostPlain("Plain"); },
           [&](const Run& a, const Run& b) {
             p.add(a.wallMs, b.wallMs);
             mem.add(a.maxRssMiB, b.maxRssMiB);
           });
    row("host `view restore save print`, 10,000 stored folders, wall", "none stored", p, "ms", 1, "≤ 1.2×");
    row("its peak RSS", "none stored", mem, "MiB", 1, "–");
    if (counting) {
      counted += instructionRow("host `view restore save print`, 10,000 stored folders", "none stored",
                                instructions(hostCommand(paths, "Query10000", plainSteps)),
                                instructions(hostCommand(paths, "Plain", plainSteps)), "≤ 1.2×");
    }
  }

  soapRows(paths, std::max(5, rounds / 2));
  std::cout << "\nload average at end " << fixed(loadAverage(), 2) << "\n";
  if (counting) {
    std::cout << "\nInstructions (callgrind, one run each; unaffected by the machine's load):\n\n"
              << "| figure | panel | reference | ratio | goal |\n|---|---|---|---|---|\n"
              << counted;
  }

  std::error_code ec;
  fs::remove_all(scratch, ec);
  return 0;
}
