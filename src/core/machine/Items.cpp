#include "machine/Items.h"

#include "common/Error.h"
#include "common/Texts.h"

namespace dorum {

QString TRegister::ValueText(const TGetCodeEvent& getCode) const {
  const std::int32_t v = Value();
  if (flag_) {
    QString text = QStringLiteral(" (") + QString::number(v) + QLatin1Char(')');
    if (v & 8) text.prepend(QStringLiteral("ZAK "));
    if (v & 4) text.prepend(QStringLiteral("INT "));
    if (v & 2) text.prepend(QStringLiteral("V "));
    if (v & 1) text.prepend(QStringLiteral("Z "));
    return text;
  }
  switch (mode_) {
    case TDisplayMode::dmBinary:
      return QLatin1Char('%') + QStringLiteral("%1").arg(static_cast<std::uint32_t>(v) & mask_,
                                                         bits_, 2, QLatin1Char('0'));
    case TDisplayMode::dmUnsigned:
    case TDisplayMode::dmSigned:
      return QString::number(v);
    case TDisplayMode::dmHexadecimal:
      return QLatin1Char('$') +
             QStringLiteral("%1")
                 .arg(static_cast<std::uint32_t>(v), (bits_ + 3) / 4, 16, QLatin1Char('0'))
                 .toUpper();
    case TDisplayMode::dmInstruction:
      return getCode ? getCode(v) : QStringLiteral("???");
  }
  return {};
}

QString TSignal::ComponentName() const {
  const QString word = Caption().section(QLatin1Char(' '), 0, 0);
  return QStringLiteral("Signal") + word.left(1).toUpper() + word.mid(1);
}

void TRegister::ThrowNotAvailable() const {
  throw EDorumError(Texts::RegisterNotAvailable(Caption()));
}
void TRegister::ThrowActiveAlready() const {
  throw EDorumError(Texts::RegisterActiveAlready(Caption()));
}

void TBus::ThrowEmpty() const {
  throw EDorumError(Texts::BusEmpty(Caption()));
}
void TBus::ThrowBusy() const {
  throw EDorumError(Texts::BusBusy(Caption()));
}

TMemory::TMemory(const char* caption, int tag) : TBaseItem(caption, tag), cells_(kCells, 0u) {}

void TMemory::SetSize(int size) {
  size_ = size;
  addressBits_ = 0;
  while ((1 << addressBits_) < size) ++addressBits_;
}

QString TMemory::CodeText(int cell, const TGetCodeEvent& getCode) const {
  if (!getCode) return QStringLiteral("???");
  const std::uint32_t raw = Raw(cell);
  return getCode(static_cast<int>(raw >> addressBits_)) + QLatin1Char(' ') +
         QString::number(raw & static_cast<std::uint32_t>(size_ - 1));
}

QString TMemory::CellText(int cell, const TGetCodeEvent& getCode) const {
  return QString::number(Word(cell)) + QStringLiteral(" ( ") + CodeText(cell, getCode) +
         QStringLiteral(" )");
}

void TMemory::ThrowBusy() {
  throw EDorumError(Texts::MemoryBusy());
}

void TALU::ThrowNoInput() {
  throw EDorumError(Texts::AluNoInput());
}
void TALU::ThrowActiveAlready() {
  throw EDorumError(Texts::AluActiveAlready());
}
void TALU::ThrowNoResult() {
  throw EDorumError(Texts::AluNoResult());
}

}  // namespace dorum
