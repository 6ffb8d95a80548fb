// The GTK tests run on a virtual X display of their own: the environment
// starts Xvfb (which picks a free display and names it on a pipe), points
// DISPLAY at it and initialises GTK with its plain Cairo renderer. A missing
// Xvfb fails the tests; it never skips them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <gtkmm.h>
#include <gtkmm/init.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

class VirtualDisplay final : public ::testing::Environment {
 public:
  void SetUp() override {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    server_ = fork();
    ASSERT_GE(server_, 0);
    if (server_ == 0) {
      close(fds[0]);
      // The server goes with the tests, however they end, and keeps its
      // notes on the displays it could not take to itself.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, STDOUT_FILENO);
      dup2(quiet, STDERR_FILENO);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
             "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb did not start (is it installed?)";
    setenv("DISPLAY", (":" + number).c_str(), 1);
    setenv("GDK_BACKEND", "x11", 1);
    // No GL on a virtual display: the Cairo renderer, and GDK not even
    // probing for GL (whose drivers leave memory behind at exit).
    setenv("GSK_RENDERER", "cairo", 1);
    setenv("GDK_DEBUG", "gl-disable", 1);
    setenv("GTK_A11Y", "none", 1);
    ASSERT_TRUE(gtk_init_check()) << "GTK cannot open display :" << number;
    Gtk::init_gtkmm_internals();
  }

  void TearDown() override {
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    waitpid(server_, nullptr, 0);
  }

 private:
  pid_t server_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new VirtualDisplay);
  return RUN_ALL_TESTS();
}
