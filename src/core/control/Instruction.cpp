#include "control/Instruction.h"

#include <optional>

#include "common/Text.h"
#include "common/Texts.h"
#include "control/CommentFilter.h"
#include "machine/Machine.h"

namespace dorum {

namespace {

const std::string kRozkaz = "rozkaz";
const std::string kArgumenty = "argumenty";
const std::string kJezeli = "jeżeli";
const std::string kDalej = "dalej";
const std::string kKoniec = "koniec";
const std::string kSemicolon = ";";

bool IsClause(const std::string& w) {
  return w == kJezeli || w == kDalej || w == kKoniec;
}

std::optional<TCondition> ConditionOf(const std::string& w) {
  if (w == "z") return TCondition::Z;
  if (w == "zak") return TCondition::Zak;
  if (w == "int") return TCondition::Int;
  if (w == "v") return TCondition::V;
  return std::nullopt;
}

std::string SignalNameOf(const std::string& w) {
  return (w == "sa" || w == "as") ? std::string("as (sa)") : w;
}

// The four signals of the fetch, as bits of the first-cycle set.
int FetchBit(const std::string& w) {
  if (w == "czyt") return 1;
  if (w == "wys") return 2;
  if (w == "wei") return 4;
  if (w == "il") return 8;
  return 0;
}
constexpr int kWholeFetch = 15;

// Reads one more word of a clause, or fails with the given message when the
// text ends first.
std::string NeedWord(TCommentFilter& reader, const std::string& unfinished) {
  if (reader.EndOfText()) throw reader.CreateError(unfinished);
  return reader.NextToken();
}

void CheckClause(TCommentFilter& r, const std::string& clause) {
  if (clause == kJezeli) {
    if (!ConditionOf(NeedWord(r, Texts::UnfinishedIf())))
      throw r.CreateError(Texts::UnexpectedCondition());
    if (NeedWord(r, Texts::UnfinishedIf()) != "to") throw r.CreateError(Texts::ExpectedTo());
    (void)NeedWord(r, Texts::UnfinishedIf());  // the target is looked up by the compile
    const std::string after = NeedWord(r, Texts::UnfinishedIf());
    if (after == kSemicolon) return;  // the short form
    if (after != "gdy") throw r.CreateError(Texts::ExpectedGdy());
    if (NeedWord(r, Texts::UnfinishedIf()) != "nie") throw r.CreateError(Texts::ExpectedNie());
    (void)NeedWord(r, Texts::UnfinishedIf());  // the second target
  }
  if (clause == kDalej) {
    (void)NeedWord(r, Texts::UnfinishedDalej());
  }
  if (NeedWord(r, Texts::ExpectedSemicolon()) != kSemicolon)
    throw r.CreateError(Texts::ExpectedSemicolon());
}

void CheckSignal(const TCommentFilter& r, const std::string& word) {
  const std::string name = SignalNameOf(word);
  if (name == "wei") throw r.CreateError(Texts::WeiOnlyInFirstCycle());
  if (TMachine::FindSignalExact(name) < 0) throw r.CreateError(Texts::UnexpectedSignal(name));
}

int LabelIndex(const TLines& labels, const std::string& target) {
  const std::string wanted = LowerCase(target);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (LowerCase(labels[i]) == wanted) return static_cast<int>(i);
  }
  return -1;
}

int JumpTarget(const TCommentFilter& r, const TLines& labels, const std::string& target) {
  const int index = LabelIndex(labels, target);
  if (index < 0) throw r.CreateError(Texts::UnknownLabel(target));
  return index;
}

// Reads the header "ROZKAZ name ;" and, after it, a declaration "ARGUMENTY n ;"
// if there is one; returns the first word of the first cycle.
std::string SkipArguments(TCommentFilter& r, std::string w) {
  if (w == kArgumenty) {
    (void)r.NextToken();
    (void)r.NextToken();
    w = r.NextToken();
  }
  return w;
}

}  // namespace

TInstruction::TInstruction(const TLines& lines) {
  SetSource(lines);
}

void TInstruction::SetSource(const TLines& lines) {
  TLines lowered;
  lowered.reserve(lines.size());
  for (const std::string& line : lines) lowered.push_back(LowerCase(line));
  argumentCount_ = CheckInstructionText(lowered);
  source_ = lines;
  Compile();
  compiled_ = true;
}

int TInstruction::CheckInstructionText(const TLines& lines) {
  TCommentFilter r(lines);
  // Blanks and control characters do not count as text.
  bool anyText = false;
  for (const std::string& line : lines) {
    for (const char c : line) anyText = anyText || static_cast<unsigned char>(c) > ' ';
  }
  if (!anyText) throw r.CreateError(Texts::ExpectedRozkaz());

  int result = 1;
  int state = 0;
  int firstCycle = 0;
  while (!r.EndOfText()) {
    const std::string w = r.NextToken();
    switch (state) {
      case 0:
        if (w != kRozkaz) throw r.CreateError(Texts::ExpectedRozkaz());
        state = 1;
        break;
      case 1:  // the name: any word
        state = 2;
        break;
      case 2:
        if (w != kSemicolon) throw r.CreateError(Texts::ExpectedSemicolon());
        firstCycle = 0;
        state = 3;
        break;
      case 3:
        if (w == kSemicolon) {
          if (firstCycle != kWholeFetch) throw r.CreateError(Texts::BadFirstCycle());
          state = 4;
        } else if (FetchBit(w) != 0) {
          firstCycle |= FetchBit(w);
        } else if (UpperAscii(w) == "ARGUMENTY") {
          result = StrToInt(r.NextToken());
          (void)r.NextToken();
        } else {
          throw r.CreateError(Texts::BadFirstCycle());
        }
        break;
      case 4:
      case 5:
        if (w.empty() || w == kSemicolon) break;
        if (IsClause(w)) {
          CheckClause(r, w);
          state = 4;
        } else if (state == 4 && w.starts_with('@')) {
          state = 5;  // a label, until the next clause
        } else {
          CheckSignal(r, w);
        }
        break;
    }
  }
  return result;
}

void TInstruction::Compile() {
  cycles_.clear();

  // Pass 1: the label of every closed cycle (empty for none), in order.
  TLines labels;
  {
    TCommentFilter r(source_);
    (void)r.NextToken();
    name_ = r.NextToken();
    (void)r.NextToken();
    std::string pending;
    bool cycleStart = true;
    while (!r.EndOfText()) {
      std::string w = r.NextToken();
      if (cycleStart) {
        w = SkipArguments(r, w);
        if (w.starts_with('@')) pending = w;
      }
      if (w == kSemicolon) {
        labels.push_back(pending);
        pending.clear();
      }
      cycleStart = w == kSemicolon;
    }
  }

  // Pass 2: the cycles.
  TCommentFilter r(source_);
  for (int n = 0; n < 3; ++n) (void)r.NextToken();
  bool cycleStart = true;
  TMicroCode c;
  while (!r.EndOfText()) {
    std::string w = r.NextToken();
    if (cycleStart) {
      w = SkipArguments(r, w);
      const int k = static_cast<int>(cycles_.size());
      c = TMicroCode{};
      c.SourceLine = r.LineNumber() - 1;
      c.NextCycle = static_cast<int>(labels.size()) == k + 1 ? 0 : k + 1;
      c.ElseCycle = c.NextCycle;
      cycleStart = false;
    }
    if (w == kJezeli) {
      const auto condition = ConditionOf(r.NextToken());
      if (!condition) throw r.CreateError(Texts::UnexpectedCondition());
      c.Condition = *condition;
      (void)r.NextToken();  // TO
      c.NextCycle = JumpTarget(r, labels, r.NextToken());
      w = r.NextToken();
      if (w != kSemicolon) {
        (void)r.NextToken();  // NIE
        c.ElseCycle = JumpTarget(r, labels, r.NextToken());
      }
    } else if (w == kDalej) {
      c.NextCycle = JumpTarget(r, labels, r.NextToken());
      c.ElseCycle = c.NextCycle;
    } else if (w == kKoniec) {
      c.NextCycle = 0;
      c.ElseCycle = 0;
    } else if (!w.empty() && w != kSemicolon) {
      // Labels and anything else that names no signal are passed over.
      const int number = TMachine::FindSignalExact(SignalNameOf(w));
      if (number >= 0) c.Signals.Set(number);
    }
    if (w == kSemicolon) {
      cycles_.push_back(c);
      cycleStart = true;
    }
  }
}

}  // namespace dorum
