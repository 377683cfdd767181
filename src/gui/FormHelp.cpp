#include "FormHelp.h"

#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "AppCore.h"
#include "CoreText.h"
#include "common/Text.h"

// The pages live in the program's resources (help.qrc); a static library
// has to ask for them to be linked in.
static void InitHelpResources() {
  Q_INIT_RESOURCE(help);
}

namespace dorum::gui {

namespace {

const QString kRoot = QStringLiteral(":/help/");
const QString kTopicScheme = QStringLiteral("temat");

// The chapters in reading order; their titles come from the pages.
constexpr const char* kChapters[] = {
    "index.html",      "maszyna.html", "sygnaly.html",   "konfiguracja.html",
    "przerwania.html", "jezyk.html",   "lista.html",     "asembler.html",
    "wykonanie.html",  "warunki.html", "przebiegi.html", "dorum-cli.html",
};
constexpr const char* kListChapter = "lista.html";

QUrl PageUrl(const QString& file) {
  return QUrl(QStringLiteral("qrc:/help/") + file);
}

QUrl TopicUrl(const QString& word) {
  QUrl url;
  url.setScheme(kTopicScheme);
  url.setPath(word);
  return url;
}

QString ReadPage(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QString Capture(const QString& html, const QRegularExpression& pattern) {
  const auto match = pattern.match(html);
  return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

QString PlainText(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.toPlainText();
}

}  // namespace

// One bundled page. Entries (the pages under hasla/) carry the words they
// explain in <meta name="keywords"> and the chapter they belong to in
// <meta name="dorum-rozdzial">.
struct THelpPage {
  QString File;  // relative to :/help/
  QString Title;
  QStringList Keywords;  // lower case
  QString Chapter;
  QString Body;  // the HTML between <body> and </body>
  QString Text;  // plain text in lower case, for the search

  [[nodiscard]] bool IsEntry() const { return !Keywords.isEmpty(); }
  // Where the page is opened: an entry by its first word, so that it opens
  // the same way as through ShowTopic.
  [[nodiscard]] QUrl Url() const { return IsEntry() ? TopicUrl(Keywords.front()) : PageUrl(File); }
};

// Every page of the resource, read once, with the index of the entries.
class THelpLibrary {
 public:
  THelpLibrary() {
    InitHelpResources();
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression keywords(
        QStringLiteral("<meta\\s+name=\"keywords\"\\s+content=\"([^\"]*)\""));
    static const QRegularExpression chapter(
        QStringLiteral("<meta\\s+name=\"dorum-rozdzial\"\\s+content=\"([^\"]*)\""));
    static const QRegularExpression body(QStringLiteral("<body[^>]*>(.*)</body>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    QStringList files;
    QDirIterator it(kRoot, {QStringLiteral("*.html")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files.append(it.next().mid(kRoot.size()));
    // File names order the entries of a chapter (s00_czyt, s01_pisz, ...).
    files.sort();
    for (const QString& file : files) {
      const QString html = ReadPage(kRoot + file);
      THelpPage page;
      page.File = file;
      page.Title = PlainText(Capture(html, title));
      for (const QString& word : Capture(html, keywords).split(u',', Qt::SkipEmptyParts)) {
        page.Keywords.append(Q(LowerCase(U8(word.trimmed()))));
      }
      page.Chapter = Capture(html, chapter);
      page.Body = Capture(html, body);
      page.Text = Q(LowerCase(U8(PlainText(page.Body))));
      for (const QString& word : page.Keywords) byKeyword_[word].append(pages_.size());
      pages_.push_back(std::move(page));
    }
  }

  [[nodiscard]] const std::vector<THelpPage>& Pages() const noexcept { return pages_; }

  [[nodiscard]] const THelpPage* Page(const QString& file) const {
    const auto found = std::find_if(pages_.begin(), pages_.end(),
                                    [&](const THelpPage& page) { return page.File == file; });
    return found == pages_.end() ? nullptr : &*found;
  }

  // The entries that explain this lower-case word.
  [[nodiscard]] std::vector<const THelpPage*> Entries(const QString& word) const {
    std::vector<const THelpPage*> result;
    for (const qsizetype index : byKeyword_.value(word)) result.push_back(&pages_[index]);
    return result;
  }

  [[nodiscard]] QStringList Keywords() const { return byKeyword_.keys(); }

 private:
  std::vector<THelpPage> pages_;
  QHash<QString, QList<qsizetype>> byKeyword_;
};

namespace {

// What a word names: an instruction of the current list, and the bundled
// entries (of its signal, keyword, condition or directive). A word may name
// both: "dod" is a signal and a built-in instruction.
struct TTopic {
  QString Word;
  int Code = -1;
  std::vector<const THelpPage*> Entries;

  [[nodiscard]] bool Empty() const { return Code < 0 && Entries.empty(); }
};

TTopic FindTopic(const THelpLibrary& library, const TMachine& machine,
                 const TInstructionList& instructions, const QString& asked) {
  TTopic topic;
  const std::string word = LowerCase(U8(asked.trimmed()));
  topic.Word = Q(word);
  if (word.empty()) return topic;
  topic.Code = instructions.IndexOf(word);
  const auto add = [&](const QString& word) {
    for (const THelpPage* page : library.Entries(word)) {
      if (std::find(topic.Entries.begin(), topic.Entries.end(), page) == topic.Entries.end())
        topic.Entries.push_back(page);
    }
  };
  // The signal table decides what is a signal ("as" and "sa" are "as (sa)").
  if (const int signal = TMachine::FindSignal(word); signal >= 0)
    add(Q(LowerCase(machine.Signal(signal).Caption())));
  add(topic.Word);
  return topic;
}

QString UsageText(const QString& name, int arguments) {
  const QString mnemonic = QStringLiteral("<code>%1</code>").arg(name.toHtmlEscaped());
  if (arguments <= 0) {
    return QStringLiteral(
               "<p>W programie piszemy samo %1, bez argumentu. Asembler zapisuje jedno słowo: "
               "kod rozkazu z polem adresowym 0. Liczba napisana po nim byłaby dla asemblera "
               "początkiem nowej instrukcji i skończyłaby się błędem "
               "„Oczekiwany rozkaz”.</p>")
        .arg(mnemonic);
  }
  if (arguments == 1) {
    return QStringLiteral(
               "<p>W programie: %1 <i>argument</i>. Asembler zapisuje jedno słowo: kod rozkazu "
               "w starszych bitach, argument (liczbę, znak albo etykietę) w polu adresowym.</p>")
        .arg(mnemonic);
  }
  return QStringLiteral(
             "<p>W programie: %1 <i>argument1</i> … <i>argument%2</i>. Asembler zapisuje %2 "
             "słów: najpierw słowo rozkazu z pierwszym argumentem w polu adresowym, potem po "
             "jednym słowie na każdy następny argument (w pełnej szerokości słowa).</p>")
      .arg(mnemonic)
      .arg(arguments);
}

// The entry of an instruction of the current list, made from the
// instruction itself.
QString InstructionEntry(const TMachine& machine, const TInstructionList& instructions, int code) {
  const TInstruction& instruction = instructions.At(code);
  const QString name = Q(instruction.Name()).toHtmlEscaped();
  const int addressBits = machine.AddressBits();
  const int codeBits = machine.CodeBits();
  const int capacity = 1 << codeBits;
  QString html = QStringLiteral("<h1>Rozkaz %1</h1>").arg(name);
  html += QStringLiteral(
              "<p>Rozkaz bieżącej listy rozkazów. Kod operacji: <b>%1</b>; liczba argumentów: "
              "<b>%2</b>; takty: <b>%3</b> (razem z taktem pobrania).</p>")
              .arg(code)
              .arg(instruction.ArgumentCount())
              .arg(instruction.CycleCount());
  html += UsageText(Q(instruction.Name()), instruction.ArgumentCount());
  if (code < capacity) {
    html += QStringLiteral(
                "<p>Przy %1 bitach adresu słowo tego rozkazu ma wartość %2·2<sup>%1</sup> + "
                "adres = %3 + adres.</p>")
                .arg(addressBits)
                .arg(code)
                .arg(static_cast<qint64>(code) << addressBits);
  } else {
    html += QStringLiteral(
                "<p><b>Rozkaz jest na razie niedostępny.</b> Przy %1 bitach kodu maszyna ma "
                "tylko %2 kodów operacji (0–%3), a ten rozkaz stoi na pozycji %4. Asembler go nie "
                "przyjmie (błąd „Oczekiwany rozkaz”), dopóki w oknie opcji projektu nie "
                "zwiększysz liczby bitów kodu albo nie usuniesz rozkazów przed nim.</p>")
                .arg(codeBits)
                .arg(capacity)
                .arg(capacity - 1)
                .arg(code);
  }
  html += QStringLiteral("<h2>Treść mikroprogramu</h2><pre>%1</pre>")
              .arg(Q(Join(instruction.Source(), "\n")).toHtmlEscaped());
  html += QStringLiteral(
      "<p>Zobacz też: <a href=\"qrc:/help/jezyk.html\">język opisu rozkazów</a>, "
      "<a href=\"qrc:/help/lista.html\">lista rozkazów</a>, "
      "<a href=\"qrc:/help/asembler.html\">asembler</a>.</p>");
  return html;
}

QString TopicPage(const TTopic& topic, const TMachine& machine,
                  const TInstructionList& instructions) {
  QString title;
  QStringList parts;
  if (topic.Code >= 0) {
    title = QStringLiteral("Rozkaz ") + topic.Word;
    parts.append(InstructionEntry(machine, instructions, topic.Code));
  }
  for (const THelpPage* page : topic.Entries) {
    if (title.isEmpty()) title = page->Title;
    parts.append(page->Body);
  }
  if (parts.size() > 1) {
    title = topic.Word;
    parts.prepend(QStringLiteral("<p><i>Słowo „%1” ma kilka znaczeń; poniżej wszystkie.</i></p>")
                      .arg(topic.Word.toHtmlEscaped()));
  }
  return QStringLiteral(
             "<html><head><meta charset=\"utf-8\"><title>%1</title></head><body>%2</body></html>")
      .arg(title.toHtmlEscaped(), parts.join(QStringLiteral("<hr>")));
}

QString MissingTopicPage(const QString& word) {
  return QStringLiteral(
             "<html><head><title>Brak hasła</title></head><body><h1>Brak hasła</h1>"
             "<p>Słowo „%1” nie ma hasła w pomocy. Może rozkaz o tej nazwie usunięto z listy "
             "rozkazów albo wczytano inną listę.</p></body></html>")
      .arg(word.toHtmlEscaped());
}

}  // namespace

// A text browser that reads the pages as UTF-8 and makes the entries of
// the "temat:" links on demand, so that back and forward work for them too.
class THelpBrowser final : public QTextBrowser {
 public:
  THelpBrowser(TAppCore& core, const THelpLibrary& library, QWidget* parent)
      : QTextBrowser(parent), core_(core), library_(library) {}

  QVariant loadResource(int type, const QUrl& url) override {
    if (type == QTextDocument::HtmlResource) {
      if (url.scheme() == kTopicScheme) {
        const TTopic topic =
            FindTopic(library_, core_.Machine(), core_.Control().Instructions(), url.path());
        return topic.Empty() ? MissingTopicPage(url.path())
                             : TopicPage(topic, core_.Machine(), core_.Control().Instructions());
      }
      if (url.scheme() == u"qrc") return ReadPage(u':' + url.path());
    }
    return QTextBrowser::loadResource(type, url);
  }

 private:
  TAppCore& core_;
  const THelpLibrary& library_;
};

TFormHelp::TFormHelp(TAppCore& core, QWidget* parent)
    : QWidget(parent), core_(core), library_(std::make_unique<THelpLibrary>()) {
  setObjectName(QStringLiteral("FormHelp"));
  setWindowTitle(QStringLiteral("Pomoc"));
  BuildControls();
  FillContents();
  connect(&core_, &TAppCore::InstructionsChanged, this, &TFormHelp::OnInstructionsChanged);
  // An instruction's entry gives its word at today's widths.
  connect(&core_.Refresh(), &TViewRefresh::Refresh, this, [this](const TMachineChanges& changes) {
    if (changes.Configuration) RenderAgain();
  });
  ShowContents();
}

TFormHelp::~TFormHelp() = default;

QTextBrowser* TFormHelp::Browser() const noexcept {
  return browser_;
}

void TFormHelp::BuildControls() {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("TabsHelp"));
  tabs_->setAccessibleName(QStringLiteral("Spis treści i wyszukiwanie"));

  tree_ = new QTreeWidget(tabs_);
  tree_->setObjectName(QStringLiteral("TreeContents"));
  tree_->setAccessibleName(QStringLiteral("Spis treści"));
  tree_->setHeaderHidden(true);
  connect(tree_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* item) { Open(item->data(0, Qt::UserRole).toUrl()); });
  connect(tree_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* item) { Open(item->data(0, Qt::UserRole).toUrl()); });
  tabs_->addTab(tree_, QStringLiteral("&Zawartość"));

  auto* search = new QWidget(tabs_);
  auto* searchLayout = new QVBoxLayout(search);
  auto* prompt = new QLabel(QStringLiteral("Wpisz słowo lub jego początek:"), search);
  searchField_ = new QLineEdit(search);
  searchField_->setObjectName(QStringLiteral("EditSearch"));
  searchField_->setAccessibleName(QStringLiteral("Szukane słowo"));
  searchField_->setClearButtonEnabled(true);
  prompt->setBuddy(searchField_);
  searchResults_ = new QListWidget(search);
  searchResults_->setObjectName(QStringLiteral("ListSearchResults"));
  searchResults_->setAccessibleName(QStringLiteral("Znalezione tematy"));
  searchLayout->addWidget(prompt);
  searchLayout->addWidget(searchField_);
  searchLayout->addWidget(searchResults_);
  connect(searchField_, &QLineEdit::textChanged, this, &TFormHelp::UpdateSearch);
  connect(searchField_, &QLineEdit::returnPressed, this, [this] { OpenSearchResult(0); });
  connect(searchResults_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { OpenSearchResult(searchResults_->row(item)); });
  connect(searchResults_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { OpenSearchResult(searchResults_->row(item)); });
  tabs_->addTab(search, QStringLiteral("&Szukaj tematu"));

  browser_ = new THelpBrowser(core_, *library_, this);
  browser_->setObjectName(QStringLiteral("BrowserHelp"));
  browser_->setAccessibleName(QStringLiteral("Strona pomocy"));
  connect(browser_, &QTextBrowser::sourceChanged, this, &TFormHelp::SelectInContents);

  const auto button = [this](const QString& text, QStyle::StandardPixmap icon, const char* name) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setIcon(style()->standardIcon(icon));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setObjectName(QLatin1String(name));
    b->setAccessibleName(text);
    return b;
  };
  back_ = button(QStringLiteral("Wstecz"), QStyle::SP_ArrowBack, "ButtonBack");
  forward_ = button(QStringLiteral("Dalej"), QStyle::SP_ArrowForward, "ButtonForward");
  home_ = button(QStringLiteral("Spis treści"), QStyle::SP_DirHomeIcon, "ButtonHome");
  back_->setToolTip(QStringLiteral("Poprzednia strona (Alt+Lewo)"));
  forward_->setToolTip(QStringLiteral("Następna strona (Alt+Prawo)"));
  back_->setEnabled(false);
  forward_->setEnabled(false);
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(home_, &QToolButton::clicked, this, &TFormHelp::ShowContents);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);

  auto* right = new QWidget(this);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addWidget(home_);
  bar->addStretch();
  rightLayout->addLayout(bar);
  rightLayout->addWidget(browser_);

  auto* splitter = new QSplitter(this);
  splitter->addWidget(tabs_);
  splitter->addWidget(right);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 560});
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(splitter);
}

void TFormHelp::FillContents() {
  for (const char* file : kChapters) {
    const THelpPage* chapter = library_->Page(QLatin1String(file));
    if (!chapter) continue;
    auto* item = new QTreeWidgetItem(tree_, {chapter->Title});
    item->setData(0, Qt::UserRole, chapter->Url());
    for (const THelpPage& page : library_->Pages()) {
      if (page.IsEntry() && page.Chapter == chapter->File) {
        auto* entry = new QTreeWidgetItem(item, {page.Title});
        entry->setData(0, Qt::UserRole, page.Url());
      }
    }
    if (chapter->File == QLatin1String(kListChapter)) {
      instructionsNode_ = new QTreeWidgetItem(item, {QStringLiteral("Rozkazy bieżącej listy")});
      instructionsNode_->setData(0, Qt::UserRole, chapter->Url());
    }
  }
  FillInstructionNodes();
}

void TFormHelp::FillInstructionNodes() {
  if (!instructionsNode_) return;
  qDeleteAll(instructionsNode_->takeChildren());
  const TInstructionList& instructions = core_.Control().Instructions();
  for (int code = 0; code < instructions.Count(); ++code) {
    const QString name = Q(instructions.At(code).Name());
    auto* item =
        new QTreeWidgetItem(instructionsNode_, {QStringLiteral("%1 %2").arg(code).arg(name)});
    item->setData(0, Qt::UserRole, TopicUrl(name));
  }
}

void TFormHelp::ShowContents() {
  tabs_->setCurrentIndex(0);
  Open(PageUrl(QLatin1String(kChapters[0])));
}

void TFormHelp::ShowSearch() {
  tabs_->setCurrentIndex(1);
  searchField_->setFocus();
  searchField_->selectAll();
}

bool TFormHelp::ShowTopic(const QString& word) {
  const TTopic topic = FindTopic(*library_, core_.Machine(), core_.Control().Instructions(), word);
  if (topic.Empty()) return false;
  Open(TopicUrl(topic.Word));
  return true;
}

QStringList TFormHelp::Topics() const {
  QStringList words = library_->Keywords();
  const TInstructionList& instructions = core_.Control().Instructions();
  for (int code = 0; code < instructions.Count(); ++code)
    words.append(Q(instructions.At(code).Name()));
  words.removeDuplicates();
  words.sort();
  return words;
}

QString TFormHelp::CurrentTitle() const {
  return browser_->documentTitle();
}

void TFormHelp::Open(const QUrl& url) {
  if (!url.isValid()) return;
  // The same topic asked again may have changed (a new instruction list).
  if (browser_->source() == url) {
    browser_->reload();
  } else {
    browser_->setSource(url);
  }
}

void TFormHelp::UpdateSearch(const QString& text) {
  searchResults_->clear();
  const QString needle = Q(LowerCase(U8(text.trimmed())));
  if (needle.isEmpty()) return;
  QList<QUrl> listed;
  const auto add = [&](const QString& caption, const QUrl& url) {
    if (listed.contains(url)) return;
    listed.append(url);
    auto* item = new QListWidgetItem(caption, searchResults_);
    item->setData(Qt::UserRole, url);
  };
  // Topics first: the words that begin with the text...
  for (const QString& word : Topics()) {
    if (word.startsWith(needle)) add(word, TopicUrl(word));
  }
  // ...then every page that holds it somewhere in its text, the pages that
  // speak of it most first.
  std::vector<std::pair<qsizetype, const THelpPage*>> pages;
  for (const THelpPage& page : library_->Pages()) {
    if (const qsizetype count = page.Text.count(needle); count > 0)
      pages.emplace_back(count, &page);
  }
  std::stable_sort(pages.begin(), pages.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (const auto& [count, page] : pages) add(page->Title, page->Url());
  if (listed.isEmpty()) {
    auto* none = new QListWidgetItem(QStringLiteral("Nic nie znaleziono."), searchResults_);
    none->setFlags(Qt::NoItemFlags);
  }
}

void TFormHelp::OpenSearchResult(int row) {
  const QListWidgetItem* item = searchResults_->item(row);
  if (!item) return;
  const QUrl url = item->data(Qt::UserRole).toUrl();
  if (!url.isValid()) return;
  const QString needle = searchField_->text().trimmed();
  Open(url);
  // Select the first place the text stands on, so the reader sees why.
  if (!needle.isEmpty()) browser_->find(needle);
}

void TFormHelp::SelectInContents(const QUrl& url) {
  // A topic may be reached by several words ("as", "sa"): compare what the
  // words name, not how they are spelt.
  const auto named = [this](const QUrl& of) -> QString {
    if (of.scheme() != kTopicScheme) return of.toString();
    const TTopic topic =
        FindTopic(*library_, core_.Machine(), core_.Control().Instructions(), of.path());
    if (topic.Code >= 0 || topic.Entries.size() != 1) return topic.Word;
    return topic.Entries.front()->File;
  };
  const QString target = named(url);
  const QSignalBlocker blocker(tree_);
  for (QTreeWidgetItemIterator it(tree_); *it; ++it) {
    if (named((*it)->data(0, Qt::UserRole).toUrl()) == target) {
      tree_->setCurrentItem(*it);
      return;
    }
  }
  tree_->setCurrentItem(nullptr);
}

void TFormHelp::OnInstructionsChanged() {
  FillInstructionNodes();
  // An instruction's entry shown now may describe an instruction that has
  // just been replaced or removed.
  RenderAgain();
  UpdateSearch(searchField_->text());
}

void TFormHelp::RenderAgain() {
  // Only the entries are made from the machine; the bundled pages never
  // change. The reader keeps his place on the page.
  if (browser_->source().scheme() != kTopicScheme) return;
  QScrollBar* scroll = browser_->verticalScrollBar();
  const int at = scroll->value();
  browser_->reload();
  scroll->setValue(at);
}

}  // namespace dorum::gui
