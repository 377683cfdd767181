#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <memory>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace dorum::gui {

class TAppCore;
class THelpBrowser;
class THelpLibrary;

// The built-in help ("Pomoc"): the Polish pages bundled with the program,
// a table of contents and a search beside them, back and forward. Besides
// the pages it has an entry for every word a student meets in the two
// languages: each signal, each keyword and condition of the instruction
// language, each directive of the assembler, and each mnemonic of the
// instruction list as it stands now (made from the instruction itself, so
// it is right for a loaded or edited list too).
class TFormHelp final : public QWidget {
  Q_OBJECT

 public:
  explicit TFormHelp(TAppCore& core, QWidget* parent = nullptr);
  ~TFormHelp() override;

  // "&Zawartość": the first page and the table of contents.
  void ShowContents();
  // "&Szukaj tematu": the search field, ready for typing.
  void ShowSearch();
  // The entry of a word (any case): a signal, a keyword or condition of the
  // instruction language, a directive, or a mnemonic of the current list.
  // False, and nothing shown, when the word has no entry.
  bool ShowTopic(const QString& word);
  // Every word ShowTopic knows now, sorted.
  [[nodiscard]] QStringList Topics() const;

  // The parts, for tests and for the application's shell.
  [[nodiscard]] QTextBrowser* Browser() const noexcept;
  [[nodiscard]] QTreeWidget* ContentsTree() const noexcept { return tree_; }
  [[nodiscard]] QLineEdit* SearchField() const noexcept { return searchField_; }
  [[nodiscard]] QListWidget* SearchResults() const noexcept { return searchResults_; }
  // The title of the page shown.
  [[nodiscard]] QString CurrentTitle() const;

 private:
  void BuildControls();
  void FillContents();
  void FillInstructionNodes();
  void UpdateSearch(const QString& text);
  void OpenSearchResult(int row);
  void Open(const QUrl& url);
  void SelectInContents(const QUrl& url);
  void OnInstructionsChanged();
  // The page shown made again from the machine as it is now.
  void RenderAgain();

  TAppCore& core_;
  std::unique_ptr<THelpLibrary> library_;
  THelpBrowser* browser_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QTreeWidget* tree_ = nullptr;
  QTreeWidgetItem* instructionsNode_ = nullptr;
  QLineEdit* searchField_ = nullptr;
  QListWidget* searchResults_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QToolButton* home_ = nullptr;
};

}  // namespace dorum::gui
