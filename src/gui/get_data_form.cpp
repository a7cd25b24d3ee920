#include "gui/get_data_form.h"

#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/app_context.h"
#include "settings/error_log.h"
#include "settings/ini_gt.h"
#include "gui/help_pages.h"
#include "gui/qt_platform.h"
#include "jvlink/batch_download.h"

namespace zelkova::gui {

namespace {

QDateTime ToQt(const LocalTime& t) {
  return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

LocalTime FromQt(const QDateTime& d) {
  return LocalTime{d.date().year(), d.date().month(), d.date().day(), d.time().hour(), d.time().minute(),
                   d.time().second()};
}

// The from-time picker. Typing replaces the part of the date or time under the cursor: a click
// into a part selects it whole, so "2000" typed into the year gives the year 2000 (with the
// cursor merely inside a full part, the edit would refuse every digit).
class TDateTimePicker : public QDateTimeEdit {
 public:
  explicit TDateTimePicker(QWidget* parent) : QDateTimeEdit(parent) { lineEdit()->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    // The click lands on the edit inside; the part is selected once the click has placed the cursor.
    if (watched == lineEdit() && e->type() == QEvent::MouseButtonRelease)
      QMetaObject::invokeMethod(this, [this] { setSelectedSection(currentSection()); }, Qt::QueuedConnection);
    return QDateTimeEdit::eventFilter(watched, e);
  }
};

// TGetDataForm: the widgets around BatchDownload. The core decides every text; this shows them.
class TGetDataForm : public QDialog, public BatchView {
 public:
  TGetDataForm(QWidget* parent, AppContext& ctx)
      : QDialog(parent), ctx_(ctx), ini_(ctx.settingsPath()),
        batch_(ctx.programFolder, *ctx.jvlink, *ctx.prompts, *ctx.clock, ini_, this) {
    setObjectName("GetDataForm");
    setWindowTitle(U("ＪＶデータ取込"));
    InstallHelpKey(this, "get_data");
    auto* lay = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(U("取得開始日付"), this));
    DateTimePicker1 = new TDateTimePicker(this);
    DateTimePicker1->setObjectName("DateTimePicker1");
    DateTimePicker1->setDisplayFormat("yyyy/MM/dd HH:mm:ss");
    DateTimePicker1->setCalendarPopup(true);
    top->addWidget(DateTimePicker1);
    Label5 = new QLabel(this);
    Label5->setObjectName("Label5");
    Label5->setVisible(false);
    top->addWidget(Label5);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText(U("JVLink設定"));
    SpeedButton1->setToolTip(U("JRA-VAN　Data Lab.のサービスキーやデータ保存場所の設定をします"));
    top->addWidget(SpeedButton1);
    lay->addLayout(top);

    // Kept for its place on the window; the choice has no effect and stays hidden.
    auto* kinds = new QGroupBox(U("取得データ"), this);
    auto* kl = new QHBoxLayout(kinds);
    for (const char* k : {"通常データ", "今週開催データ", "セットアップデータ"}) kl->addWidget(new QRadioButton(U(k), kinds));
    kinds->setVisible(false);
    lay->addWidget(kinds);

    auto* buttons = new QHBoxLayout;
    ButtonStart = new QPushButton(U("データ取込み開始"), this);
    ButtonStart->setObjectName("ButtonStart");
    ButtonCancel = new QPushButton(U("データ取込み中止"), this);
    ButtonCancel->setObjectName("ButtonCancel");
    buttons->addWidget(ButtonStart);
    buttons->addWidget(ButtonCancel);
    lay->addLayout(buttons);

    ProgressLabel = new QLabel(this);
    ProgressLabel->setObjectName("ProgressLabel");
    lay->addWidget(ProgressLabel);
    auto* bars = new QGridLayout;
    bars->addWidget(new QLabel(U("ダウンロード"), this), 0, 0);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    bars->addWidget(ProgressBar1, 0, 1);
    bars->addWidget(new QLabel(U("読込み"), this), 1, 0);
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName("ProgressBar2");
    ProgressBar2->setFormat("%v / %m");  // files read of files to read
    bars->addWidget(ProgressBar2, 1, 1);
    lay->addLayout(bars);
    lay->addWidget(new QLabel(U("作成済みデータ"), this));
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName("ListBox1");
    ListBox1->setUniformItemSizes(true);
    lay->addWidget(ListBox1, 1);

    TimerJVStatus = new QTimer(this);
    TimerJVStatus->setObjectName("TimerJVStatus");
    TimerJVStatus->setInterval(10);

    connect(ButtonStart, &QPushButton::clicked, this, [this] {
      batch_.setFromTime(FromQt(DateTimePicker1->dateTime()));
      ButtonStart->setEnabled(false);
      batch_.ButtonStartClick();
      wrote_ = wrote_ || batch_.filesSaved() > 0;
      ButtonStart->setEnabled(!batch_.busy());
    });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] {
      batch_.ButtonCancelClick();
      ButtonStart->setEnabled(!batch_.busy());
    });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { batch_.SpeedButton1Click(); });
    connect(TimerJVStatus, &QTimer::timeout, this, [this] {
      batch_.TimerJVStatusTimer();
      wrote_ = wrote_ || batch_.filesSaved() > 0;
      ButtonStart->setEnabled(!batch_.busy());
    });

    resize(560, 480);
    batch_.FormCreate();
  }

  ~TGetDataForm() override { batch_.FormClose(); }

  // Whether any start in this window wrote a stored file.
  bool wrote() const { return wrote_; }

  // BatchView
  void progressLabel(const std::string& text) override { ProgressLabel->setText(Q(text)); }
  void progress1(int pos, int max) override {
    ProgressBar1->setMaximum(max);
    ProgressBar1->setValue(pos);
  }
  void progress2(int pos, int max) override {
    ProgressBar2->setMaximum(max);
    ProgressBar2->setValue(pos);
  }
  void listClear() override { ListBox1->clear(); }
  void listAdd(const std::string& line) override { ListBox1->addItem(Q(line)); }
  void timerRunning(bool on) override {
    if (on)
      TimerJVStatus->start();
    else
      TimerJVStatus->stop();
  }
  void fromTimeShown(const LocalTime& t) override {
    DateTimePicker1->setDateTime(ToQt(t));
    Label5->setText(QString::fromStdString(FormatDateTime(FromQt(DateTimePicker1->dateTime()))));
  }

 private:
  AppContext& ctx_;
  TIniGT ini_;
  BatchDownload batch_;
  QDateTimeEdit* DateTimePicker1 = nullptr;
  QLabel* Label5 = nullptr;
  QToolButton* SpeedButton1 = nullptr;
  QPushButton* ButtonStart = nullptr;
  QPushButton* ButtonCancel = nullptr;
  QLabel* ProgressLabel = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QProgressBar* ProgressBar2 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QTimer* TimerJVStatus = nullptr;
  bool wrote_ = false;
};

}  // namespace

bool OpenBatchDownload(QWidget* parent, AppContext& ctx) {
  if (!ctx.jvlink || !ctx.prompts || !ctx.clock) return false;
  TGetDataForm form(parent, ctx);
  form.exec();
  return form.wrote();
}

}  // namespace zelkova::gui
