// fault-table: the program on damaged copies of its data folder, every
// file it reads with every fault, and a table of what happened.
//
//   fault-table [--run whole|short|startup] [--alone] [--files A,B,...] [--faults F,...]
//
// For each fault the files are run in groups of one of each kind (the
// music, an image, a shader file, a model), each group a run of the program
// on a copy of the data folder with those files damaged. A run that
// crashes, hangs or raises a GL error is repeated for each file of its group
// alone, so each outcome belongs to its file (--alone: every file on its own
// from the start). A case passes when the run ends well and stderr names
// the file exactly once.
//
// Without --run, each group runs the start-up, the music and a few drawn
// frames of scene 3 (a short benchmark), and then, per fault, the whole show
// plays as a benchmark at 1 frame per second of music (every scene drawn)
// with every file damaged at once: it must end well too. --run whole plays
// the whole show for every group instead (thorough, and some forty times
// slower); --run short and --run startup (one frame) only the groups.
//
// Prints one line per case (file, fault, outcome) as it goes and a summary;
// exits 1 if any case failed. Run it through scripts/fault-table, which
// provides the display.
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/data_faults.h"

namespace {

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');)
        if (!item.empty()) items.push_back(item);
    return items;
}

int kindOf(const std::string& file) {
    if (file.rfind("Textures/", 0) == 0) return 1;
    if (file.rfind("shaders/", 0) == 0) return 2;
    if (file.rfind("models/", 0) == 0) return 3;
    return 0;
}

std::vector<std::vector<std::string>> groupsOf(const std::vector<std::string>& files, bool alone) {
    std::vector<std::vector<std::string>> groups;
    if (alone) {
        for (const std::string& f : files) groups.push_back({f});
        return groups;
    }
    std::map<int, std::vector<std::string>> byKind;
    for (const std::string& f : files) byKind[kindOf(f)].push_back(f);
    for (const auto& [kind, list] : byKind)
        for (size_t i = 0; i < list.size(); ++i) {
            if (groups.size() <= i) groups.emplace_back();
            groups[i].push_back(list[i]);
        }
    return groups;
}

bool endedBadly(const FaultVerdict& v) {
    return !v.ok && v.outcome != "not named on stderr" && v.outcome.rfind("named ", 0) != 0;
}


std::map<std::string, FaultVerdict> runGroup(const std::vector<std::string>& group, Fault fault, RunKind kind) {
    DataFolder folder(AFTERGLOW_DATA_DIR);
    for (const std::string& f : group) folder.damage(f, fault);
    const ProcessResult run = runOnFolder(AFTERGLOW_BINARY, folder, kind);
    std::map<std::string, FaultVerdict> verdicts;
    for (const std::string& f : group) verdicts[f] = judge(run, kind, f);
    return verdicts;
}

// The whole show with every file damaged: the file column says so.
FaultVerdict runEverything(const std::vector<std::string>& files, Fault fault) {
    DataFolder folder(AFTERGLOW_DATA_DIR);
    for (const std::string& f : files) folder.damage(f, fault);
    const ProcessResult run = runOnFolder(AFTERGLOW_BINARY, folder, RunKind::WholeShow);
    // Only how the run ended counts here; the naming is judged file by file
    // in the groups.
    FaultVerdict v = judgeEnding(run, RunKind::WholeShow);
    if (!v.ok) return v;
    size_t named = 0;
    for (const std::string& f : files)
        if (run.err.find(f) != std::string::npos) ++named;
    v.outcome = "ok: played to its end; " + std::to_string(named) + " of " + std::to_string(files.size()) + " files named";
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    RunKind kind = RunKind::ShortBenchmark;
    bool standard = true;  // groups short, then the whole show per fault
    bool alone = false;
    std::vector<std::string> files = dataFiles(AFTERGLOW_DATA_DIR);
    std::vector<Fault> faults = allFaults();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasNext = i + 1 < argc;
        if (arg == "--run" && hasNext) {
            standard = false;
            const std::string k = argv[++i];
            if (k == "whole") kind = RunKind::WholeShow;
            else if (k == "short") kind = RunKind::ShortBenchmark;
            else if (k == "startup") kind = RunKind::StartUp;
            else {
                std::fprintf(stderr, "fault-table: --run takes whole, short or startup\n");
                return 2;
            }
        } else if (arg == "--alone") {
            alone = true;
        } else if (arg == "--files" && hasNext) {
            files = splitList(argv[++i]);
        } else if (arg == "--faults" && hasNext) {
            faults.clear();
            for (const std::string& name : splitList(argv[++i])) {
                bool known = false;
                for (Fault f : allFaults())
                    if (name == faultName(f) || name == std::to_string(static_cast<int>(f))) {
                        faults.push_back(f);
                        known = true;
                    }
                if (!known) {
                    std::fprintf(stderr, "fault-table: no fault '%s'\n", name.c_str());
                    return 2;
                }
            }
        } else {
            std::fprintf(stderr,
                         "usage: fault-table [--run whole|short|startup] [--alone] [--files A,B,...] "
                         "[--faults F,...]\n");
            return 2;
        }
    }

    std::printf("%-26s %-22s %s\n", "file", "fault", "outcome");
    int passed = 0, failed = 0;
    std::vector<std::string> failures;
    for (Fault fault : faults)
        for (const std::vector<std::string>& group : groupsOf(files, alone)) {
            std::map<std::string, FaultVerdict> verdicts = runGroup(group, fault, kind);
            bool again = false;
            for (const auto& [f, v] : verdicts) again = again || endedBadly(v);
            if (again && group.size() > 1)
                for (const std::string& f : group) verdicts[f] = runGroup({f}, fault, kind).at(f);
            for (const std::string& f : group) {
                const FaultVerdict& v = verdicts.at(f);
                std::printf("%-26s %-22s %s\n", f.c_str(), faultName(fault), v.outcome.c_str());
                std::fflush(stdout);
                (v.ok ? passed : failed) += 1;
                if (!v.ok) failures.push_back(f + " (" + faultName(fault) + "): " + v.outcome);
            }
        }
    if (standard)
        for (Fault fault : faults) {
            const FaultVerdict v = runEverything(files, fault);
            std::printf("%-26s %-22s %s\n", "(every file, whole show)", faultName(fault), v.outcome.c_str());
            std::fflush(stdout);
            (v.ok ? passed : failed) += 1;
            if (!v.ok) failures.push_back(std::string("every file (") + faultName(fault) + "): " + v.outcome);
        }
    std::printf("\n%d of %d cases ok\n", passed, passed + failed);
    for (const std::string& f : failures) std::printf("  FAILED %s\n", f.c_str());
    return failed ? 1 : 0;
}
