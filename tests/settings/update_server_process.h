// The local update server of tests/settings/update_test_server.py as a child process: it prints
// its port and ends when its input is closed.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace qx::test {

class UpdateServerProcess {
  public:
    UpdateServerProcess(const std::filesystem::path& folder, bool tls) {
        int input[2];
        int output[2];
        if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(input[0], 0);
            ::dup2(output[1], 1);
            ::execl(QX580_PYTHON, QX580_PYTHON, QX580_UPDATE_SERVER_SCRIPT, "serve", folder.c_str(),
                    tls ? "--tls" : nullptr, nullptr);
            ::_exit(127);
        }
        ::close(input[0]);
        ::close(output[1]);
        input_ = input[1];
        if (FILE* out = ::fdopen(output[0], "r")) {
            if (std::fscanf(out, "%d", &port_) != 1) port_ = 0;
            std::fclose(out);
        }
    }
    ~UpdateServerProcess() {
        if (input_ >= 0) ::close(input_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    int Port() const { return port_; }

    // Writes the test certificate authority and the server's certificate into folder.
    static bool MakeCertificates(const std::filesystem::path& folder) {
        const std::string command = std::string(QX580_PYTHON) + " " + QX580_UPDATE_SERVER_SCRIPT +
                                    " make-certs '" + folder.string() + "'";
        return std::system(command.c_str()) == 0;
    }

  private:
    pid_t pid_ = -1;
    int input_ = -1;
    int port_ = 0;
};

}  // namespace qx::test
