#pragma once

#include <QDialog>

#include "SourceEditor.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace dorum::gui {

// The find dialog of the source editors: a text, match case, whole word and
// the direction. It stays open beside the editor; every press of
// "Znajdź następny" asks the editor for the next match.
class TFindDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TFindDialog(QWidget* parent = nullptr);

  [[nodiscard]] QString Text() const;
  void SetText(const QString& text);
  [[nodiscard]] TSearchOptions Options() const;

  QLineEdit* TextEdit;
  QCheckBox* MatchCase;
  QCheckBox* WholeWord;
  QRadioButton* Up;
  QRadioButton* Down;
  QPushButton* FindNextButton;

 Q_SIGNALS:
  void FindNext();
};

// The replace dialog: a text, its replacement, match case and whole word;
// "Znajdź następny" searches forward, "Zamień" replaces the next match and
// "Zamień wszystko" every match from the caret on.
class TReplaceDialog final : public QDialog {
  Q_OBJECT

 public:
  explicit TReplaceDialog(QWidget* parent = nullptr);

  [[nodiscard]] QString Text() const;
  void SetText(const QString& text);
  [[nodiscard]] QString Replacement() const;
  // Forward, as ticked.
  [[nodiscard]] TSearchOptions Options() const;

  QLineEdit* TextEdit;
  QLineEdit* ReplacementEdit;
  QCheckBox* MatchCase;
  QCheckBox* WholeWord;
  QPushButton* FindNextButton;
  QPushButton* ReplaceButton;
  QPushButton* ReplaceAllButton;

 Q_SIGNALS:
  void FindNext();
  void Replace();
  void ReplaceAll();
};

}  // namespace dorum::gui
