// The help window: an entry for every signal, keyword, condition, directive
// and mnemonic of the current list, links that lead somewhere, the search,
// back and forward, and a look at the rendered window.
#include <QAbstractButton>
#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <algorithm>
#include <vector>

#include "AppCore.h"
#include "CoreText.h"
#include "FormHelp.h"
#include "GuiTestSupport.h"
#include "common/Text.h"
#include "control/ListFile.h"

using namespace dorum;
using namespace dorum::gui;

namespace {

QString Shown(const TFormHelp& help) {
  return help.Browser()->toPlainText();
}

// A help window over its own application core, with the dialogs answered.
struct THelpFixture {
  TAppCore Core;
  test::TDialogScript User;
  TFormHelp Help{Core};

  THelpFixture() {
    User.Install(Core.Dialogs());
    Help.resize(900, 600);
  }
};

}  // namespace

class HelpTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everySignalHasAnEntryTellingItsKindAndOption() {
    THelpFixture f;
    static const QRegularExpression kind(QStringLiteral("Rodzaj: sygnał (impulsowy|poziomowy)"));
    static const QRegularExpression option(QStringLiteral("Opcja: (\\d+)"));
    for (int n = 0; n < kSignalCount; ++n) {
      const TSignal& signal = f.Core.Machine().Signal(n);
      const QString caption = Q(signal.Caption());
      QVERIFY2(f.Help.ShowTopic(caption), qPrintable(caption));
      const QString text = Shown(f.Help);
      QVERIFY2(text.contains(QStringLiteral("Sygnał ") + caption), qPrintable(caption));
      QVERIFY2(text.contains(QStringLiteral("Numer: %1").arg(n)), qPrintable(caption));
      // What the page says must be what the machine does.
      const auto kindMatch = kind.match(text);
      QVERIFY2(kindMatch.hasMatch(), qPrintable(caption));
      QCOMPARE(kindMatch.captured(1),
               signal.Impulse() ? QStringLiteral("impulsowy") : QStringLiteral("poziomowy"));
      const auto optionMatch = option.match(text);
      QVERIFY2(optionMatch.hasMatch(), qPrintable(caption));
      QCOMPARE(optionMatch.captured(1).toInt(), signal.Tag());
      // Words compare ignoring case.
      QVERIFY2(f.Help.ShowTopic(caption.toUpper()), qPrintable(caption));
      QVERIFY(Shown(f.Help).contains(QStringLiteral("Sygnał ") + caption));
    }
  }

  void everyKeywordConditionAndDirectiveHasAnEntry_data() {
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("title");    // part of the entry's title
    QTest::addColumn<QString>("mention");  // how the page names the word
    const auto row = [](const char16_t* word, const char16_t* title, const char16_t* mention) {
      QTest::newRow(QString::fromUtf16(word).toUtf8().constData())
          << QString::fromUtf16(word) << QString::fromUtf16(title) << QString::fromUtf16(mention);
    };
    row(u"rozkaz", u"ROZKAZ", u"ROZKAZ");
    row(u"ROZKAZ", u"ROZKAZ", u"ROZKAZ");
    row(u"argumenty", u"ARGUMENTY", u"ARGUMENTY");
    row(u"jeżeli", u"JEŻELI", u"JEŻELI");
    row(u"JEŻELI", u"JEŻELI", u"JEŻELI");
    row(u"to", u"JEŻELI", u"TO");
    row(u"gdy", u"JEŻELI", u"GDY");
    row(u"nie", u"JEŻELI", u"NIE");
    row(u"dalej", u"DALEJ", u"DALEJ");
    row(u"koniec", u"KONIEC", u"KONIEC");
    row(u"z", u"Warunki", u"Z");
    row(u"zak", u"Warunki", u"ZAK");
    row(u"Int", u"Warunki", u"INT");
    row(u"v", u"Warunki", u"V");
    row(u"rpa", u"RPA", u"RPA");
    row(u"rst", u"RST", u"RST");
    row(u"KON", u"KON", u"KON");
    row(u"as", u"as (sa)", u"as (sa)");
    row(u"sa", u"as (sa)", u"as (sa)");
  }
  void everyKeywordConditionAndDirectiveHasAnEntry() {
    QFETCH(QString, word);
    QFETCH(QString, title);
    QFETCH(QString, mention);
    THelpFixture f;
    QVERIFY(f.Help.ShowTopic(word));
    QVERIFY2(f.Help.CurrentTitle().contains(title), qPrintable(f.Help.CurrentTitle()));
    QVERIFY(Shown(f.Help).contains(mention));
    QVERIFY(f.Help.Topics().contains(Q(LowerCase(U8(word)))));
  }

  void aBuiltInMnemonicHasAnEntryMadeFromTheInstruction() {
    THelpFixture f;
    QVERIFY(f.Help.ShowTopic(QStringLiteral("ŁAD")));
    QString text = Shown(f.Help);
    QVERIFY(text.contains(QStringLiteral("Rozkaz ład")));
    QVERIFY(text.contains(QStringLiteral("Kod operacji: 4")));
    QVERIFY(text.contains(QStringLiteral("pisz wyl wea;")));  // its source
    QVERIFY(text.contains(QStringLiteral("= 128 + adres")));  // 4·2^5 with 5 address bits
    // "dod" is both an instruction and a signal: the page gives both.
    QVERIFY(f.Help.ShowTopic(QStringLiteral("dod")));
    text = Shown(f.Help);
    QVERIFY(text.contains(QStringLiteral("Rozkaz dod")));
    QVERIFY(text.contains(QStringLiteral("Kod operacji: 1")));
    QVERIFY(text.contains(QStringLiteral("ROZKAZ DOD;")));
    QVERIFY(text.contains(QStringLiteral("Sygnał dod")));
    // "stp" takes no argument.
    QVERIFY(f.Help.ShowTopic(QStringLiteral("stp")));
    QVERIFY(Shown(f.Help).contains(QStringLiteral("liczba argumentów: 0")));
  }

  void aLoadedListsMnemonicsHaveEntriesAndTheOldOnesGo() {
    THelpFixture f;
    QVERIFY(!f.Help.ShowTopic(QStringLiteral("wpr")));
    QVERIFY(test::Succeeds([&] {
      LoadInstructionList(DORUM_EXAMPLES_DIR "/ombra/ombra.lst", f.Core.Machine(),
                          f.Core.Control());
    }));
    f.Core.NotifyInstructionsChanged();
    QVERIFY(f.Help.Topics().contains(QStringLiteral("wpr")));
    QVERIFY(f.Help.ShowTopic(QStringLiteral("WPR")));
    const QString text = Shown(f.Help);
    QVERIFY(text.contains(QStringLiteral("Rozkaz wpr")));
    QVERIFY(text.contains(QStringLiteral("ROZKAZ WPR;")));
    QVERIFY(text.contains(
        QStringLiteral("Kod operacji: %1").arg(f.Core.Control().Instructions().IndexOf("wpr"))));
    // The table of contents lists the loaded instructions.
    const auto found = f.Help.ContentsTree()->findItems(QStringLiteral("wpr"),
                                                        Qt::MatchEndsWith | Qt::MatchRecursive);
    QCOMPARE(found.size(), 1);

    // An empty list: the shown entry says it is gone, ShowTopic finds nothing.
    f.Core.Control().ClearInstructions();
    f.Core.NotifyInstructionsChanged();
    QVERIFY(Shown(f.Help).contains(QStringLiteral("Brak hasła")));
    QVERIFY(!f.Help.ShowTopic(QStringLiteral("wpr")));
    QVERIFY(!f.Help.Topics().contains(QStringLiteral("stp")));
  }

  void anInstructionBeyondTheCodesIsSaidToBeUnavailable() {
    THelpFixture f;
    try {
      f.Core.Session().CompileInstruction({"ROZKAZ NOWY;", "Argumenty 2;", "czyt wys wei il;"});
      QFAIL("the ninth instruction of a 3-bit code should not fit");
    } catch (const EDorumError&) {
    }
    QVERIFY(f.Help.ShowTopic(QStringLiteral("nowy")));
    const QString text = Shown(f.Help);
    QVERIFY(text.contains(QStringLiteral("niedostępny")));
    QVERIFY(text.contains(QStringLiteral("liczba argumentów: 2")));
    QVERIFY(text.contains(QStringLiteral("argument2")));
    QVERIFY2(text.contains(QStringLiteral("Przy 3 bitach kodu maszyna ma tylko 8 kodów operacji "
                                          "(0–7), a ten rozkaz stoi na pozycji 8.")),
             qPrintable(text));
  }

  void anUnknownWordFindsNothingAndShowsNothing() {
    THelpFixture f;
    QVERIFY(f.Help.ShowTopic(QStringLiteral("czyt")));
    const QUrl before = f.Help.Browser()->source();
    const QString text = Shown(f.Help);
    for (const QString& word :
         {QStringLiteral("xyz"), QStringLiteral(""), QStringLiteral("  "),
          QStringLiteral("@ujemne"), QStringLiteral("czy"), QStringLiteral("Sygnał")}) {
      QVERIFY2(!f.Help.ShowTopic(word), qPrintable(word));
      QCOMPARE(f.Help.Browser()->source(), before);
      QCOMPARE(Shown(f.Help), text);
    }
  }

  void everyLinkOfEveryPageLeadsSomewhere() {
    THelpFixture f;
    static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
    int links = 0;
    QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString path = it.next();
      QFile file(path);
      QVERIFY(file.open(QIODevice::ReadOnly));
      const QString html = QString::fromUtf8(file.readAll());
      for (auto m = href.globalMatch(html); m.hasNext();) {
        const QUrl url(m.next().captured(1));
        ++links;
        if (url.scheme() == u"temat") {
          QVERIFY2(f.Help.ShowTopic(url.path()), qPrintable(path + u' ' + url.toString()));
        } else {
          QCOMPARE(url.scheme(), QStringLiteral("qrc"));
          QVERIFY2(QFile::exists(u':' + url.path()), qPrintable(path + u' ' + url.toString()));
        }
      }
    }
    QVERIFY(links > 100);
  }

  void contentsListEveryChapterAndOpenThem() {
    THelpFixture f;
    f.Help.ShowContents();
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("Maszyna Dorum – pomoc"));
    QTreeWidget* tree = f.Help.ContentsTree();
    QCOMPARE(tree->topLevelItemCount(), 12);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
      QTreeWidgetItem* chapter = tree->topLevelItem(i);
      QVERIFY(!chapter->text(0).isEmpty());
      Q_EMIT tree->itemActivated(chapter, 0);
      QCOMPARE(f.Help.CurrentTitle(), chapter->text(0));
      QVERIFY(Shown(f.Help).size() > 500);
    }
    // The signals' chapter lists the 48 entries in the order they are performed.
    const auto signalsChapter =
        tree->findItems(QStringLiteral("Sygnały sterujące"), Qt::MatchExactly);
    QCOMPARE(signalsChapter.size(), 1);
    QCOMPARE(signalsChapter.front()->childCount(), kSignalCount);
    QCOMPARE(signalsChapter.front()->child(0)->text(0), QStringLiteral("Sygnał czyt"));
    QCOMPARE(signalsChapter.front()->child(47)->text(0), QStringLiteral("Sygnał stop"));
    // The contents follow the page shown, whichever word led there.
    QVERIFY(f.Help.ShowTopic(QStringLiteral("SA")));
    QVERIFY(tree->currentItem());
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Sygnał as (sa)"));
    QVERIFY(f.Help.ShowTopic(QStringLiteral("som")));
    QCOMPARE(tree->currentItem()->text(0), QStringLiteral("6 som"));
    QVERIFY(f.Help.ShowTopic(QStringLiteral("gdy")));
    QCOMPARE(tree->currentItem()->text(0), f.Help.CurrentTitle());
  }

  void searchFindsTopicsByNameAndPagesByText() {
    THelpFixture f;
    f.Help.ShowSearch();
    QLineEdit* field = f.Help.SearchField();
    QListWidget* results = f.Help.SearchResults();
    const auto captions = [&] {
      QStringList list;
      for (int i = 0; i < results->count(); ++i) list.append(results->item(i)->text());
      return list;
    };
    // Topics by the beginning of their name, the mnemonics of the list too.
    field->setText(QStringLiteral("so"));
    QVERIFY(captions().contains(QStringLiteral("sob")));
    QVERIFY(captions().contains(QStringLiteral("som")));
    QVERIFY(captions().contains(QStringLiteral("soz")));
    // A word that stands only in the text of a page.
    field->setText(QStringLiteral("Division by zero"));
    QVERIFY2(captions().contains(QStringLiteral("Sygnał dziel")),
             qPrintable(captions().join(u',')));
    field->setText(QStringLiteral("JSON Lines"));
    QVERIFY2(captions().contains(QStringLiteral("dorum-cli – wersja tekstowa")),
             qPrintable(captions().join(u',')));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(f.Help.CurrentTitle(), results->item(0)->text());
    QVERIFY(f.Help.Browser()->textCursor().selectedText().compare(QStringLiteral("JSON Lines"),
                                                                  Qt::CaseInsensitive) == 0);
    // Nothing found says so and opens nothing.
    field->setText(QStringLiteral("qqqzzz"));
    QCOMPARE(captions(), QStringList{QStringLiteral("Nic nie znaleziono.")});
    const QString title = f.Help.CurrentTitle();
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(f.Help.CurrentTitle(), title);
  }

  void pagesFoundAreListedByHowOftenTheySpeakOfTheText() {
    THelpFixture f;
    f.Help.ShowSearch();
    const QString needle = QStringLiteral("rejestr");
    f.Help.SearchField()->setText(needle);
    QListWidget* results = f.Help.SearchResults();
    std::vector<qsizetype> counts;
    for (int row = 0; row < results->count(); ++row) {
      const QUrl url = results->item(row)->data(Qt::UserRole).toUrl();
      if (url.scheme() != u"qrc") continue;  // a topic or an entry, made when shown
      Q_EMIT results->itemActivated(results->item(row));
      counts.push_back(f.Help.Browser()->toPlainText().toLower().count(needle));
    }
    QVERIFY(counts.size() > 3);
    QVERIFY(counts.front() > counts.back());
    QVERIFY(std::is_sorted(counts.rbegin(), counts.rend()));
  }

  void anEntryShownIsMadeAgainWhenTheWidthsChange() {
    THelpFixture f;
    f.Help.show();
    QVERIFY(f.Help.ShowTopic(QStringLiteral("pob")));
    const int code = f.Core.Control().Instructions().IndexOf("pob");
    QVERIFY(Shown(f.Help).contains(QStringLiteral("Przy 5 bitach adresu")));
    QVERIFY(Shown(f.Help).contains(QStringLiteral("= %1 + adres").arg(code << 5)));
    f.Core.Perform(TCommand::ProjectOptions, [&] { f.Core.Machine().SetAddressBits(7); });
    f.Core.Refresh().Flush();
    QVERIFY(Shown(f.Help).contains(QStringLiteral("Przy 7 bitach adresu")));
    QVERIFY(Shown(f.Help).contains(QStringLiteral("= %1 + adres").arg(code << 7)));
    QVERIFY(!Shown(f.Help).contains(QStringLiteral("Przy 5 bitach adresu")));
  }

  void backAndForwardWalkThePagesSeen() {
    THelpFixture f;
    auto* back = f.Help.findChild<QAbstractButton*>(QStringLiteral("ButtonBack"));
    auto* forward = f.Help.findChild<QAbstractButton*>(QStringLiteral("ButtonForward"));
    QVERIFY(back && forward);
    QVERIFY(!back->isEnabled());
    QVERIFY(f.Help.ShowTopic(QStringLiteral("czyt")));
    QVERIFY(f.Help.ShowTopic(QStringLiteral("rst")));
    QVERIFY(back->isEnabled());
    back->click();
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("Sygnał czyt"));
    QVERIFY(forward->isEnabled());
    forward->click();
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("RST"));
    QVERIFY(!forward->isEnabled());
    // The keys of the browser walk the same history.
    QTest::keyClick(f.Help.Browser(), Qt::Key_Left, Qt::AltModifier);
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("Sygnał czyt"));
    QTest::keyClick(f.Help.Browser(), Qt::Key_Right, Qt::AltModifier);
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("RST"));
    // A link in a page leads on, and back returns from it.
    f.Help.Browser()->setSource(QUrl(QStringLiteral("temat:koniec")));
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("KONIEC"));
    back->click();
    QCOMPARE(f.Help.CurrentTitle(), QStringLiteral("RST"));
  }

  void everyControlHasAnAccessibleNameAndTheWindowRenders() {
    THelpFixture f;
    QCOMPARE(f.Help.objectName(), QStringLiteral("FormHelp"));
    QCOMPARE(f.Help.windowTitle(), QStringLiteral("Pomoc"));
    for (QWidget* w : f.Help.findChildren<QWidget*>()) {
      if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
          qobject_cast<QAbstractItemView*>(w) || qobject_cast<QTextBrowser*>(w)) {
        // The line edit's clear button and the tree's hidden header are Qt's own.
        if (w->isHidden() || qobject_cast<QLineEdit*>(w->parent())) continue;
        QVERIFY2(
            !w->accessibleName().isEmpty(),
            qPrintable(w->objectName() + u' ' + QString::fromLatin1(w->metaObject()->className())));
      }
    }
    f.Help.show();
    QVERIFY(f.Help.ShowTopic(QStringLiteral("as")));
    const QImage image = f.Help.grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(image.save(QDir::temp().filePath(QStringLiteral("dorum-help.png"))));
    f.Help.ShowSearch();
    f.Help.SearchField()->setText(QStringLiteral("magistrala"));
    QTest::keyClick(f.Help.SearchField(), Qt::Key_Return);
    QVERIFY(f.Help.grab().save(QDir::temp().filePath(QStringLiteral("dorum-help-search.png"))));
  }
};

QTEST_MAIN(HelpTest)
#include "HelpTest.moc"
