// ファイル→SQLに書き出し on a downloaded season: every stored date reaches the SQLite file and
// the final count is told; a second export skips every date; a cancelled chooser writes nothing.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include "app/app_context.h"
#include "app/startup.h"
#include "gui/main_form.h"
#include "sql/sql_connection.h"
#include "sql/sql_export.h"
#include "../support/app_fixtures.h"
#include "../support/test_support.h"
#include "gui_fakes.h"
#include "season_home.h"

using namespace zelkova;
using zelkova::gui::TMainForm;

class SqlExportTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir;
  testing::Prompts_ prompts;
  testing::FakeClock clock{LocalTime{2024, 5, 12, 9, 0, 0}};
  testing::FakeJvLink jv;
  AppContext ctx;

 private slots:
  void initTestCase() {
    QVERIFY(dir.isValid());
    if (!SqliteExportAvailable()) QSKIP("this build has no SQLite");
    if (!testing::SeasonToolsBuilt()) QSKIP("zelkova-feedgen and zelkova-cli are not built");
    const QString home = dir.filePath("home");
    QVERIFY(testing::DownloadedSeason(home, dir.filePath("feed"), 5));
    ctx.programFolder = home.toStdString();
    ctx.prompts = &prompts;
    ctx.clock = &clock;
    ctx.jvlink = &jv;
  }

  void theMenuExportsEveryStoredDate() {
    TMainForm w(ctx);
    w.show();
    const QString file = dir.filePath("season.sqlite");
    int chooserCalls = 0;
    w.sqlFileChooser = [&] {
      ++chooserCalls;
      return chooserCalls == 3 ? QString() : file;
    };
    auto* item = w.findChild<QAction*>("SqlExportItem");
    QVERIFY(item);
    const int stored = static_cast<int>(DateList(ctx.programFolder).size());
    QVERIFY(stored > 1);

    prompts = {};
    item->trigger();
    QCOMPARE(prompts.infos(), QStringList{QString::fromStdString(SqlExportDoneText({stored, 0, 0}))});
    auto db = OpenSqlite(file.toStdString());
    QVERIFY(db.ok());
    auto count = (*db)->Prepare("SELECT COUNT(*) FROM export_stamps");
    QVERIFY(count.ok());
    auto rows = (*db)->Query(*count, {});
    QVERIFY(rows.ok());
    QCOMPARE(QString::fromStdString(rows->at(0).at(0)), QString::number(stored));

    // The same file again: nothing changed, every date is skipped.
    prompts = {};
    item->trigger();
    QCOMPARE(prompts.infos(), QStringList{QString::fromStdString(SqlExportDoneText({0, stored, 0}))});

    // Cancelled: not a word, the file as it was.
    const qint64 size = QFileInfo(file).size();
    prompts = {};
    item->trigger();
    QVERIFY(prompts.infos().isEmpty());
    QCOMPARE(QFileInfo(file).size(), size);
    QCOMPARE(chooserCalls, 3);
  }
};

QTEST_MAIN(SqlExportTest)
#include "sql_export_test.moc"
