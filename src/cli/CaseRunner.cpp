#include "CaseRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <memory>

#include "RunCommand.h"

#if defined(__unix__) || defined(__APPLE__)
#define DORUM_CASES_FORK 1
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <vector>
#endif

// Sanitizers reserve far more address space than any limit would allow.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define DORUM_CASES_UNLIMITED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define DORUM_CASES_UNLIMITED 1
#endif
#endif

namespace dorum::cli {

namespace {

#ifdef DORUM_CASES_FORK
// In the case's own process, before it runs anything of the case.
void LimitMemory() {
#ifndef DORUM_CASES_UNLIMITED
  const rlimit limit{kCaseMemoryBytes, kCaseMemoryBytes};
  setrlimit(RLIMIT_AS, &limit);
#endif
}
#endif

// One case as a new process of this program, with an event loop of its own.
void RunWithProcesses(const TCaseRunPlan& plan) {
  QEventLoop loop;
  QObject owner;  // of the children's process objects, finished or not
  std::size_t next = 0;
  int running = 0;
  std::function<void()> startMore;
  const auto start = [&](std::size_t job) {
    auto* process = new QProcess(&owner);
    auto clock = std::make_shared<QElapsedTimer>();
    auto timedOut = std::make_shared<bool>(false);
    const auto record = [&, job, process, clock](TCaseRunEnd end) {
      end.Seconds = static_cast<double>(clock->elapsed()) / 1000.0;
      process->deleteLater();
      plan.Done(job, std::move(end));
      --running;
      startMore();
    };
    QObject::connect(process, &QProcess::finished, process,
                     [process, timedOut, record](int exitCode, QProcess::ExitStatus status) {
                       TCaseRunEnd end;
                       end.Out = process->readAllStandardOutput();
                       end.Err = process->readAllStandardError();
                       end.ExitCode = exitCode;
                       end.TimedOut = *timedOut;
                       end.Crashed = status == QProcess::CrashExit;
                       record(std::move(end));
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, record](QProcess::ProcessError error) {
                       if (error != QProcess::FailedToStart) return;
                       TCaseRunEnd end;
                       end.StartError = process->errorString();
                       record(std::move(end));
                     });
    // A coarse timer may fire 5 % early: before the time the case was given.
    QTimer::singleShot(plan.Timeout, Qt::PreciseTimer, process, [process, timedOut] {
      *timedOut = true;
      process->kill();
    });
    process->setStandardInputFile(QProcess::nullDevice());
#ifdef DORUM_CASES_FORK
    process->setChildProcessModifier(LimitMemory);
#endif
    clock->start();
    process->start(QCoreApplication::applicationFilePath(),
                   QStringList{QStringLiteral("run")} + plan.Arguments(job));
  };
  startMore = [&] {
    while (running < plan.Jobs && next < plan.Count) {
      ++running;
      start(next++);
    }
    if (running == 0) loop.quit();
  };
  startMore();
  if (running > 0) loop.exec();
}

#ifdef DORUM_CASES_FORK

using TClock = std::chrono::steady_clock;

// A case running in a copy of this process.
struct TForkedCase {
  std::size_t Job = 0;
  pid_t Pid = -1;
  int Pipes[2] = {-1, -1};  // its standard output and error, read here
  QByteArray Bytes[2];
  TClock::time_point Started;
  bool TimedOut = false;

  [[nodiscard]] bool Drained() const { return Pipes[0] < 0 && Pipes[1] < 0; }
};

// Nothing of the grading's own (the other cases' pipes, a file being
// written) may be reached from a case.
void CloseInheritedFiles() {
#if defined(__linux__) && defined(__GLIBC__) && \
    (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  if (close_range(3, ~0U, 0) == 0) return;
#endif
  const long last = sysconf(_SC_OPEN_MAX);
  for (long fd = 3; fd < (last > 0 ? last : 1024); ++fd) close(static_cast<int>(fd));
}

// The case's process: the run as "dorum-cli run" does it, its output into
// the pipes. It never returns into the grading's code.
[[noreturn]] void RunInChild(const QStringList& arguments, int out, int err, pid_t grader) {
#ifdef __linux__
  // A grading ended by force takes its cases with it, not leaving them to
  // run out their time.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != grader) _exit(1);
#else
  (void)grader;
#endif
  const int nothing = open("/dev/null", O_RDONLY);
  if (nothing >= 0) dup2(nothing, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  CloseInheritedFiles();
  LimitMemory();
  // As "dorum-cli run" starts: the grading's application took the
  // environment's locale, which the C library's number formats would follow.
  std::setlocale(LC_ALL, "C");
  int status = 0;
  try {
    status = RunProgramCommand(arguments, std::cout, std::cerr);
  } catch (...) {
    // What an escaping exception does to "dorum-cli run" itself.
    std::abort();
  }
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // No destructors of the grading's objects, no handlers of its exit.
  _exit(status);
}

// A case started, or why it could not be.
[[nodiscard]] bool StartForked(const QStringList& arguments, TForkedCase& child, QString& error) {
  int out[2];
  int err[2];
  if (pipe(out) != 0) {
    error = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  if (pipe(err) != 0) {
    error = QString::fromLocal8Bit(std::strerror(errno));
    close(out[0]);
    close(out[1]);
    return false;
  }
  // Anything still buffered would be printed again by the child.
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  child.Started = TClock::now();
  const pid_t grader = getpid();
  child.Pid = fork();
  if (child.Pid == 0) RunInChild(arguments, out[1], err[1], grader);
  close(out[1]);
  close(err[1]);
  if (child.Pid < 0) {
    error = QString::fromLocal8Bit(std::strerror(errno));
    close(out[0]);
    close(err[0]);
    return false;
  }
  child.Pipes[0] = out[0];
  child.Pipes[1] = err[0];
  return true;
}

// Reads what one pipe holds; closes it at its end.
void ReadPipe(int& fd, QByteArray& bytes) {
  char buffer[65536];
  const ssize_t count = read(fd, buffer, sizeof buffer);
  if (count > 0) {
    bytes.append(buffer, count);
  } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
    close(fd);
    fd = -1;
  }
}

// Waits for a child whose pipes have closed, that is one that has ended.
[[nodiscard]] TCaseRunEnd Reap(TForkedCase& child) {
  int status = 0;
  while (waitpid(child.Pid, &status, 0) < 0 && errno == EINTR) {
  }
  TCaseRunEnd end;
  end.Out = std::move(child.Bytes[0]);
  end.Err = std::move(child.Bytes[1]);
  end.TimedOut = child.TimedOut;
  end.Crashed = WIFSIGNALED(status);
  end.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
  end.Seconds = std::chrono::duration<double>(TClock::now() - child.Started).count();
  return end;
}

// How long poll may wait: until the nearest deadline of a running case.
[[nodiscard]] int PollWait(const std::vector<TForkedCase>& running,
                           std::chrono::milliseconds timeout) {
  const TClock::time_point now = TClock::now();
  auto wait = std::chrono::milliseconds::max();
  for (const TForkedCase& child : running) {
    if (child.TimedOut) continue;
    wait = std::min(wait, std::chrono::ceil<std::chrono::milliseconds>(
                              std::max(child.Started + timeout - now, TClock::duration::zero())));
  }
  return wait == std::chrono::milliseconds::max() ? -1 : static_cast<int>(wait.count());
}

// Reads the pipes of the running cases until one of them has something or
// the nearest deadline comes.
void ReadRunning(std::vector<TForkedCase>& running, std::chrono::milliseconds timeout) {
  std::vector<pollfd> watched;
  std::vector<int*> pipes;
  std::vector<QByteArray*> buffers;
  for (TForkedCase& child : running) {
    for (int i = 0; i < 2; ++i) {
      if (child.Pipes[i] < 0) continue;
      watched.push_back({child.Pipes[i], POLLIN, 0});
      pipes.push_back(&child.Pipes[i]);
      buffers.push_back(&child.Bytes[i]);
    }
  }
  if (poll(watched.data(), watched.size(), PollWait(running, timeout)) < 0) return;
  for (std::size_t i = 0; i < watched.size(); ++i) {
    if (watched[i].revents != 0) ReadPipe(*pipes[i], *buffers[i]);
  }
}

void RunForked(const TCaseRunPlan& plan) {
  std::vector<TForkedCase> running;
  std::size_t next = 0;
  while (next < plan.Count || !running.empty()) {
    while (static_cast<int>(running.size()) < plan.Jobs && next < plan.Count) {
      TForkedCase child;
      child.Job = next++;
      TCaseRunEnd failed;
      if (StartForked(plan.Arguments(child.Job), child, failed.StartError))
        running.push_back(std::move(child));
      else
        plan.Done(child.Job, std::move(failed));
    }
    if (running.empty()) continue;
    ReadRunning(running, plan.Timeout);
    const TClock::time_point now = TClock::now();
    for (TForkedCase& child : running) {
      if (!child.TimedOut && now - child.Started >= plan.Timeout) {
        kill(child.Pid, SIGKILL);
        child.TimedOut = true;
      }
    }
    for (auto it = running.begin(); it != running.end();) {
      if (!it->Drained()) {
        ++it;
        continue;
      }
      const std::size_t job = it->Job;
      TCaseRunEnd end = Reap(*it);
      it = running.erase(it);
      plan.Done(job, std::move(end));
    }
  }
}

#endif

}  // namespace

TCaseRunner ChosenCaseRunner() {
#ifdef DORUM_CASES_FORK
  return qEnvironmentVariableIntValue("DORUM_GRADE_EXEC") != 0 ? TCaseRunner::Exec
                                                               : TCaseRunner::Fork;
#else
  return TCaseRunner::Exec;
#endif
}

void RunCases(const TCaseRunPlan& plan, TCaseRunner runner) {
#ifdef DORUM_CASES_FORK
  if (runner == TCaseRunner::Fork) {
    RunForked(plan);
    return;
  }
#endif
  (void)runner;
  RunWithProcesses(plan);
}

}  // namespace dorum::cli
