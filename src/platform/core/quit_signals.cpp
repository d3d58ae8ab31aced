#include "platform/quit_signals.h"

#include <csignal>
#include <cstddef>
#include <iterator>

namespace platform {
namespace {

volatile std::sig_atomic_t signalReceived = 0;
volatile std::sig_atomic_t signalPending = 0;
constexpr int kQuitSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction previous[std::size(kQuitSignals)]{};
bool installed = false;

void OnQuitSignal(int signalNumber) {
  if (signalReceived != 0) {
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    return;
  }
  signalReceived = 1;
  signalPending = 1;
}

}  // namespace

void InstallQuitSignals() {
  if (installed) return;
  signalReceived = 0;
  signalPending = 0;
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kQuitSignals); ++i) {
    sigaction(kQuitSignals[i], nullptr, &previous[i]);
    // A signal the program was started with ignored (nohup) stays ignored.
    if (previous[i].sa_handler != SIG_IGN) sigaction(kQuitSignals[i], &action, nullptr);
  }
  installed = true;
}

void RestoreQuitSignals() {
  if (!installed) return;
  for (std::size_t i = 0; i < std::size(kQuitSignals); ++i) sigaction(kQuitSignals[i], &previous[i], nullptr);
  installed = false;
}

bool TakeQuitSignal() {
  if (signalPending == 0) return false;
  signalPending = 0;
  return true;
}

}  // namespace platform
