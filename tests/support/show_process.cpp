#include "show_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::vector<std::string> ChildEnvironment(const ShowOptions& options) {
    std::vector<std::string> env;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        const bool removed =
            std::find(options.unset.begin(), options.unset.end(), name) != options.unset.end();
        const bool replaced = std::any_of(options.set.begin(), options.set.end(),
                                          [&](const auto& pair) { return pair.first == name; });
        if (!removed && !replaced && name != "LD_PRELOAD") {
            env.push_back(variable);
        }
    }
    for (const auto& [name, value] : options.set) {
        env.push_back(name + "=" + value);
    }
    if (options.preloadShim) {
        env.push_back(std::string("LD_PRELOAD=") + TROMVISK_CLOCK_SHIM);
    }
    return env;
}

} // namespace

ShowProcess StartShow(const ShowOptions& options) {
    ShowProcess show;
    char dirTemplate[] = "/tmp/tromvisk-e2e-XXXXXX";
    show.dir = mkdtemp(dirTemplate);
    show.stdoutPath = show.dir + "/stdout";
    show.stderrPath = show.dir + "/stderr";
    show.tracePath = show.dir + "/trace";
    std::ifstream source(TROMVISK_DEMO_XM, std::ios::binary);
    if (options.prepare) {
        options.prepare(show.dir);
    } else if (options.withMusic && source) {
        std::ofstream target(show.dir + "/demo.xm", std::ios::binary);
        target << source.rdbuf();
    }

    ShowOptions withTrace = options;
    withTrace.set.push_back({"TROMVISK_TEST_TRACE", show.tracePath});
    const std::vector<std::string> env = ChildEnvironment(withTrace);
    std::vector<char*> envp;
    for (const std::string& variable : env) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);

    show.pid = fork();
    if (show.pid == 0) {
        const int out = open(show.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(show.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int in = open("/dev/null", O_RDONLY);
        if (out < 0 || err < 0 || in < 0 || chdir(show.dir.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(options.stdoutDescriptor >= 0 ? options.stdoutDescriptor : out, 1);
        dup2(err, 2);
        if (options.stdoutDescriptor == kOutputClosed) {
            close(1);
        }
        if (options.addressSpaceBytes > 0) {
            const rlimit limit = {rlim_t(options.addressSpaceBytes),
                                  rlim_t(options.addressSpaceBytes)};
            setrlimit(RLIMIT_AS, &limit);
        }
        char* argv[] = {const_cast<char*>(options.binary), nullptr};
        execve(options.binary, argv, envp.data());
        _exit(127);
    }
    return show;
}

bool WaitForEnd(ShowProcess& show, double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    while (SecondsSince(start) < timeoutSeconds) {
        const pid_t done = waitpid(show.pid, &show.status, WNOHANG);
        if (done == show.pid) {
            show.pid = -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(show.pid, SIGKILL);
    waitpid(show.pid, &show.status, 0);
    show.pid = -1;
    return false;
}

void StopShow(ShowProcess& show) {
    if (show.pid > 0) {
        kill(show.pid, SIGKILL);
        waitpid(show.pid, &show.status, 0);
        show.pid = -1;
    }
    if (!show.dir.empty()) {
        RunCommand("rm -rf '" + show.dir + "'");
        show.dir.clear();
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string BuiltMusic() {
    return ReadFile(TROMVISK_DEMO_XM);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), std::streamsize(bytes.size()));
}

std::vector<std::string> TraceLines(const ShowProcess& show) {
    std::vector<std::string> lines;
    std::istringstream text(ReadFile(show.tracePath));
    for (std::string line; std::getline(text, line);) {
        lines.push_back(line);
    }
    return lines;
}

bool WaitForTraceLine(const ShowProcess& show, const std::string& line, int count,
                      double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    do {
        const std::vector<std::string> lines = TraceLines(show);
        if (std::count(lines.begin(), lines.end(), line) >= count) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (SecondsSince(start) < timeoutSeconds);
    return false;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    while (!output.empty() && output.back() == '\n') {
        output.pop_back();
    }
    return output;
}

std::string FindShowWindow(const ShowProcess& show, double timeoutSeconds) {
    const Clock::time_point start = Clock::now();
    do {
        const std::string found =
            RunCommand("xdotool search --all --pid " + std::to_string(show.pid) +
                       " --name '^bajs$' 2>/dev/null | head -n 1");
        if (!found.empty()) {
            return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (SecondsSince(start) < timeoutSeconds);
    return "";
}

long ResidentKilobytes(const ShowProcess& show) {
    std::istringstream status(ReadFile("/proc/" + std::to_string(show.pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

int ExitCode(const ShowProcess& show) {
    return WIFEXITED(show.status) ? WEXITSTATUS(show.status) : -1;
}

int TermSignal(const ShowProcess& show) {
    return WIFSIGNALED(show.status) ? WTERMSIG(show.status) : 0;
}
