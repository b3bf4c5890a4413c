// What the analysis tests share besides the networks: the runner of the
// Python oracles.
#pragma once

#include "analysis_networks.h"
#include "core/model/Messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace analysistest {

// ---- the Python oracles

// Whether /usr/bin/python3 can import every module named; why not in why.
inline bool PythonHas(const std::string& modules, std::string& why)
{
    if (!Exists("/usr/bin/python3")) {
        why = "/usr/bin/python3 is not installed";
        return false;
    }
    const std::string cmd = "/usr/bin/python3 -c 'import " + modules + "' 2>/dev/null";
    if (std::system(cmd.c_str()) != 0) {
        why = "python3 cannot import " + modules + " (scripts/deps.sh installs it)";
        return false;
    }
    return true;
}

// Runs a Python script with arguments; returns its standard output.
inline std::string RunPython(const std::string& script, const std::string& args)
{
    // One file per process: tests run side by side.
    const std::string path = ::testing::TempDir() + "tarvex_oracle_" + std::to_string(getpid()) + ".py";
    std::ofstream(path) << script;
    std::string out;
    FILE* p = popen(("/usr/bin/python3 " + path + " " + args).c_str(), "r");
    if (!p) return out;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

} // namespace analysistest
