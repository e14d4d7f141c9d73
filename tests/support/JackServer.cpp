#include "JackServer.h"

#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

extern char **environ;

namespace kovrinta::test {

namespace {

void quiet(const char *) {}

bool serverAnswers(const std::string &name) {
  jack_status_t status;
  jack_client_t *client = jack_client_open(
      "kovrinta-probe", static_cast<jack_options_t>(JackNoStartServer | JackServerName), &status,
      name.c_str());
  if (!client) return false;
  jack_client_close(client);
  return true;
}

}  // namespace

bool inCi() {
  const char *ci = std::getenv("CI");
  return ci && std::strcmp(ci, "true") == 0;
}

JackServer::JackServer() : name_("kovrinta-test-" + std::to_string(getpid())) {
  // libjack reports every refused connection while the server starts; the probe expects
  // those.
  jack_set_error_function(quiet);
  jack_set_info_function(quiet);
  iniciar();
}

bool JackServer::iniciar() {
  if (running_) return true;
  failure_.clear();
  std::vector<std::string> args = {"jackd", "-n", name_,   "-S", "-d",
                                   "dummy", "-r", "48000", "-p", "128"};
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const int rc = posix_spawnp(&pid_, "jackd", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    pid_ = -1;
    failure_ = std::string("cannot start jackd: ") + std::strerror(rc);
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      failure_ = "jackd exited at start";
      return false;
    }
    if (serverAnswers(name_)) {
      running_ = true;
      setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
      setenv("JACK_NO_START_SERVER", "1", 1);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  failure_ = "jackd did not answer within 5 s";
  return false;
}

void JackServer::pause() {
  if (pid_ > 0) kill(pid_, SIGSTOP);
}

void JackServer::resume() {
  if (pid_ > 0) kill(pid_, SIGCONT);
}

void JackServer::parar() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
  running_ = false;
}

JackServer::~JackServer() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

}  // namespace kovrinta::test
