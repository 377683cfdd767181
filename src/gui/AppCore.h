#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>
#include <vector>

#include "UserInterface.h"
#include "ViewRefresh.h"
#include "session/Session.h"

namespace dorum::gui {

// The application's commands that touch the machine, the control unit or
// the program, as far as a run in progress is concerned.
enum class TCommand : std::uint8_t {
  RunCycle,           // "Takt"
  RunInstruction,     // "Rozkaz"
  RunProgram,         // "Program"
  RunToCursor,        // "Do kursora"
  StepBack,           // "Cofnij takt", "Cofnij rozkaz"
  Reset,              // "Reset"
  Compile,            // an editor's compile command
  LoadList,           // "Ładuj listę rozkazów", an example with its list
  ProjectOptions,     // "Opcje ..."
  DeleteInstruction,  // "Usuń rozkaz"
  ManualControl,      // "Sterowanie ręczne"
  CloseBoundEditor,   // closing the editor whose program runs
  Quit,               // closing the application
  StopConditions,     // "Warunki zatrzymania..."
  ClearMemory,        // "Wyczyść pamięć"
};

// What a command does while a run is in progress: it is refused (its
// action greyed), or it stops the run at the cycle boundary the run stands
// at and then acts. Other commands (entering values, switching signals,
// typing into the console, the interrupt buttons, the tracking level and
// the tempo) act between two cycles and the run goes on.
enum class TDuringRun : std::uint8_t { Refused, StopsRun };

[[nodiscard]] TDuringRun DuringRun(TCommand command) noexcept;

// The objects of the application that are not windows: the session (the
// machine, the control unit with the eight built-in instructions, the
// watches, the assembler and the history), the dialogs and the error box,
// the clock of the views, and the run in progress, which it advances in
// slices from the event loop.
class TAppCore final : public QObject {
  Q_OBJECT

 public:
  // The pause between cycles at the highest tracking level, in ms.
  static constexpr int kDefaultAnimationDelay = 100;
  static constexpr int kMaxAnimationDelay = 2000;

  explicit TAppCore(QObject* parent = nullptr);
  ~TAppCore() override;

  [[nodiscard]] TSession& Session() noexcept { return session_; }
  [[nodiscard]] TMachine& Machine() noexcept { return session_.Machine(); }
  [[nodiscard]] TController& Control() noexcept { return session_.Control(); }
  [[nodiscard]] TWatchList& Watches() noexcept { return session_.Watches(); }
  [[nodiscard]] TProgram& Assembler() noexcept { return session_.Assembler(); }
  [[nodiscard]] TUserDialogs& Dialogs() noexcept { return dialogs_; }
  [[nodiscard]] const TErrorReporter& Errors() const noexcept { return errors_; }
  [[nodiscard]] TViewRefresh& Refresh() noexcept { return refresh_; }
  // Every cycle and user action of the runs, for stepping back.
  [[nodiscard]] TRunHistory& History() noexcept { return *session_.History(); }

  // Whether the command may be given now.
  [[nodiscard]] bool Allows(TCommand command) const noexcept;
  // Gives the command: refused during a run (false), or done after the run
  // has stopped. An error of the stopped run is shown first. A command that
  // may bring new labels or another configuration has the stop conditions
  // look their names up again after it.
  bool Perform(TCommand command, const std::function<void()>& action);

  // "Cofnij takt" and "Cofnij rozkaz"; false when there was nothing to undo.
  bool StepBack(bool wholeInstruction);
  // That many "Cofnij takt" at once; false when nothing was undone.
  bool StepBackSteps(std::uint64_t steps);

  // A run of one piece done at once ("Takt", or a run to its end without
  // pauses): `command` performs it and returns how it ended, and it ends as
  // a slice of a sliced run ends. While a run is in progress it is refused
  // (false). How it ended is shown once it has ended; the views are
  // refreshed then.
  bool Run(QWidget* parent, const std::function<TSliceEnd()>& command);
  // Starts a run ("Rozkaz", "Program", "Do kursora"): `start` sets it up in
  // the control unit, and the event loop advances it slice by slice until
  // it ends. Refused (false) while another is in progress.
  bool StartRun(QWidget* parent, const std::function<void()>& start);
  [[nodiscard]] bool RunInProgress() const noexcept { return running_; }
  // The run pauses until the user types a character (or acts otherwise).
  [[nodiscard]] bool RunWaitsForInput() const noexcept { return running_ && waiting_; }
  // "Przerwij": the run ends at the next cycle boundary; without a run it
  // does nothing.
  void RequestStop();
  // Stops the run in progress, if any, and does the action at once (a
  // reset, a load, closing the application). An error of the stopped run is
  // shown first.
  void AfterStoppingRun(const std::function<void()>& action);
  // "Sterowanie ręczne": a run in progress stops first.
  void SetManualControl(bool manual);

  [[nodiscard]] int AnimationDelay() const noexcept { return animationDelay_; }
  void SetAnimationDelay(int ms);

  // The instruction and the source line of its cycle that the control unit
  // performed last, for the instruction list window.
  [[nodiscard]] int ShownInstruction() const noexcept { return Control().ShownInstruction(); }
  [[nodiscard]] int ShownCycleLine() const noexcept { return Control().ShownCycleLine(); }

  // Whoever changes the instruction list (a compiled instruction, a loaded
  // list, a deleted instruction) says so here; the list window, the
  // editors' colouring and completion follow.
  void NotifyInstructionsChanged() { Q_EMIT InstructionsChanged(); }
  // Whoever binds a program or changes what runs may do says so here.
  void NotifyControlChanged() { Q_EMIT ControlChanged(); }

  // Slices of the runs: how much one may do at each tracking level.
  [[nodiscard]] static TSliceBudget SliceBudget(int trackingLevel) noexcept;
  // The slices performed since start-up, for tests and measurements.
  [[nodiscard]] std::uint64_t SlicesPerformed() const noexcept { return slices_; }

 Q_SIGNALS:
  void RunStateChanged(bool running);
  void AnimationDelayChanged(int ms);
  void InstructionsChanged();
  // Manual control, the bound program or the history changed otherwise
  // than through the machine.
  void ControlChanged();

 private:
  [[nodiscard]] const TController& Control() const noexcept { return session_.Control(); }
  void BeginRun(QWidget* parent);
  // `error`: the error of a cycle the machine refused, if one ended it.
  void EndRun(TSliceEnd end, const std::optional<QString>& error = std::nullopt);
  // What ended a run: in an information box when the program came to its
  // stop or a stop condition held, in the error box for the other stops
  // and for an error.
  void ReportEnd(TSliceEnd end, const std::optional<QString>& error);
  void PerformSlice();
  // The one way a run advances: performs a piece of it (a slice, or the
  // whole of a Run) and goes on, pauses or ends as the piece says.
  void Advance(const std::function<TSliceEnd()>& piece);
  void ScheduleSlice(int delay);
  // Stops the run in progress at its cycle boundary and shows what ended it.
  void StopRunNow();
  // A run that waits for a character goes on once the user did something.
  void UserActed();

  TSession session_{true};
  TUserDialogs dialogs_;
  TErrorReporter errors_{dialogs_};
  TViewRefresh refresh_{session_.Machine()};
  bool running_ = false;
  bool waiting_ = false;  // the run waits for the console's input
  QPointer<QWidget> runParent_;
  QTimer slice_;
  int animationDelay_ = kDefaultAnimationDelay;
  std::uint64_t slices_ = 0;
};

}  // namespace dorum::gui
