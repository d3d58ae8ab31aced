#include "platform/sdl/quit_signals.h"

#include <csignal>

namespace platform {
namespace {

volatile std::sig_atomic_t signalReceived = 0;
volatile std::sig_atomic_t signalPending = 0;
struct sigaction previousInt {};
struct sigaction previousTerm {};
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
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
  installed = true;
}

void RestoreQuitSignals() {
  if (!installed) return;
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
  installed = false;
}

bool TakeQuitSignal() {
  if (signalPending == 0) return false;
  signalPending = 0;
  return true;
}

}  // namespace platform
