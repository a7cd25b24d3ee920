// TMainForm on race day: the real-time download buttons and menus, the automatic retrieval's
// timers and dialogs, the change window, and the replay of a past day on its own clock. The
// work is the core's (RaceDayLive); this file wires it to the widgets.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>
#include <deque>
#include <functional>

#include "base/replay_clock.h"
#include "day/race_day_live.h"
#include "day/replay_timers.h"
#include "gui/henko_form.h"
#include "gui/history_pages.h"
#include "gui/main_form.h"
#include "gui/oz_get_time_form.h"
#include "gui/qt_platform.h"
#include "jvlink/jv_link.h"
#include "output/support_figures.h"

namespace zelkova::gui {

// What the race-day core asks of the window.
class MainFormLiveHost : public LiveHost {
 public:
  explicit MainFormLiveHost(TMainForm& f) : f_(f) {}

  std::string DateComboText() const override { return Sj(f_.dateCombo_->currentText()); }
  int SelectedRaceItem() const override { return f_.loaded_ ? f_.datList_->currentRow() : -1; }
  int RaceItemCount() const override { return f_.loaded_ ? f_.datList_->count() : 0; }
  void SelectRaceItem(int item) override {
    f_.datList_->setCurrentRow(item);
    f_.DatListClick();
  }
  // A race the view could not show would only raise its message box again, unattended; the
  // user's own click still tries it.
  void RerunRaceView() override {
    if (f_.view_->panel12Visible) f_.rerunView();
  }
  void ShowRankFrequency(const RankFrequency& counts) override {
    if (HistoryPages* pages = f_.historyPages()) {
      pages->showCounts(counts);
      pages->repaintDeme();
    }
  }
  void ShowChanges(const ChangeLists& lists) override;
  void DLlabel(const std::string& text) override {
    f_.dlLabel_->setText(Q(text));
    // The label shows progress while the stream is read, so it is painted now.
    f_.dlLabel_->repaint();
  }
  void NowTimLabel(const std::string& text) override;
  void RestTimeLabel(const std::string& text) override;
  void SetAutoOzCheck(bool on) override { f_.autoOzCheck_->setChecked(on); }
  void SetTimer1(bool running) override {
    if (running) f_.Timer1.start();
    else f_.Timer1.stop();
  }
  void ReloadDay() override { f_.DateComboChange(); }

 private:
  TMainForm& f_;
};

namespace {

// Stand-ins for a context without JV-Link or prompts (a window made for a test): every call fails
// or does nothing.
class NoJvLink : public JvLink {
 public:
  int JVInit(const std::string&) override { return -201; }
  int JVSetUIProperties() override { return -201; }
  int JVOpen(const std::string&, const std::string&, int, int&, int&, std::string&) override { return -201; }
  int JVRTOpen(const std::string&, const std::string&) override { return -201; }
  int JVStatus() override { return -201; }
  int JVRead(std::string&, int&, std::string&) override { return -201; }
  void JVCancel() override {}
  int JVClose() override { return 0; }
  int JVMVCheck(const std::string&) override { return -201; }
  int JVMVPlay(const std::string&) override { return -201; }
  std::string version() override { return {}; }
};

class NoPrompts : public Prompts {
 public:
  void beep() override {}
  void information(const std::string&) override {}
  bool confirm(const std::string&) override { return false; }
  void statusText(const std::string&) override {}
  void processEvents() override {}
  void busyCursor(bool) override {}
};

}  // namespace

struct LiveParts {
  LiveParts(TMainForm& f, AppContext& ctx, TIniGT& ini)
      : host(f),
        core(ctx.programFolder, ctx.jvlink ? *ctx.jvlink : noJvLink, ctx.prompts ? *ctx.prompts : noPrompts,
             ctx.clock ? *ctx.clock : systemClock, ini, host) {}

  NoJvLink noJvLink;
  NoPrompts noPrompts;
  SystemClock systemClock;
  MainFormLiveHost host;
  RaceDayLive core;
  QLabel* nowTimLabel = nullptr;
  THenkoForm* henko = nullptr;
  std::unique_ptr<THenkoForm> ownHenko;
  ReplayClock* replay = nullptr;
  QTimer replayDriver;
  ReplayTimers replayTimers;
  // A fetch pumps window messages, so a timer or a button may fire inside another fetch while its
  // stream is open (or while the download window has its read cycle open). Such work waits here
  // and runs when the running one has finished; a timer's tick waits once, however many fell due.
  bool running = false;
  struct Waiting {
    int timer = 0;  // the timer whose tick this is; 0 for other work
    std::function<void()> work;
  };
  std::deque<Waiting> waiting;
};

void MainFormLiveHost::ShowChanges(const ChangeLists& lists) {
  LiveParts& p = *f_.live_;
  if (!p.henko) {
    p.ownHenko = std::make_unique<THenkoForm>(f_.ctx_.settingsPath());
    SecondaryWindow(p.ownHenko.get());
    p.ownHenko->setPrompts(f_.ctx_.settingsPrompts());
    p.henko = p.ownHenko.get();
  }
  p.henko->ShowLists(lists);
}

void MainFormLiveHost::NowTimLabel(const std::string& text) { f_.live_->nowTimLabel->setText(Q(text)); }
// The countdown shares the race header with the view's labels.
void MainFormLiveHost::RestTimeLabel(const std::string& text) {
  if (auto* label = f_.findChild<QLabel*>("RestTimeLabel")) label->setText(Q(text));
}

namespace {

// Runs `work` now, or after the live work already running. `timer` names a timer's tick: one
// such tick already waiting makes another unnecessary.
void RunLive(LiveParts& p, std::function<void()> work, int timer = 0) {
  if (p.running) {
    if (timer != 0)
      for (const auto& w : p.waiting)
        if (w.timer == timer) return;
    p.waiting.push_back({timer, std::move(work)});
    return;
  }
  p.running = true;
  work();
  while (!p.waiting.empty()) {
    auto next = std::move(p.waiting.front().work);
    p.waiting.pop_front();
    next();
  }
  p.running = false;
}

}  // namespace

void TMainForm::LivePartsDeleter::operator()(LiveParts* p) const { delete p; }

void TMainForm::initLive() {
  live_.reset(new LiveParts(*this, ctx_, ini_));
  live_->nowTimLabel = new QLabel(this);
  live_->nowTimLabel->setObjectName("NowTimLabel");
  statusBar()->addPermanentWidget(live_->nowTimLabel);
}

RaceDayLive& TMainForm::live() {
  live_->core.setDay(loaded_ ? day_.get() : nullptr);
  return live_->core;
}

void TMainForm::setHenkoForm(THenkoForm* form) {
  SecondaryWindow(form);
  if (form) form->setPrompts(ctx_.settingsPrompts());
  live_->henko = form;
}

void TMainForm::setReplayClock(ReplayClock* clock) {
  LiveParts& p = *live_;
  p.replay = clock;
  p.replayDriver.stop();
  if (!clock) return;
  // The odds queue and the results timer tick in the replayed day's time: every tick runs with
  // the clock set to its due time, so a fast replay skips none of them. The labels follow the
  // clock on their own timers.
  p.replayDriver.setInterval(50);
  QObject::disconnect(&p.replayDriver, nullptr, this, nullptr);
  connect(&p.replayDriver, &QTimer::timeout, this, [this] {
    LiveParts& lp = *live_;
    if (lp.running || !lp.replay) return;
    auto sync = [this] {
      LiveParts& s = *live_;
      s.replayTimers.Set(1, Timer1.isActive(), 40, *s.replay);
      s.replayTimers.Set(4, Timer4.isActive(), std::max(Timer4.interval() / 1000, 1), *s.replay);
    };
    RunLive(lp, [this, sync] {
      LiveParts& s = *live_;
      s.replayTimers.RunUntil(*s.replay, s.replay->target(), sync, [this](int id) {
        if (id == 1) live().Timer1Timer();
        else live().Timer4Timer();
      });
    });
  });
  p.replayDriver.start();
}

// ---- timers ----

void TMainForm::runExclusive(std::function<void()> work) { RunLive(*live_, std::move(work)); }

void TMainForm::Timer1Timer() {
  if (live_->replay) return;
  RunLive(*live_, [this] { live().Timer1Timer(); }, 1);
}
void TMainForm::Timer2Timer() { live().Timer2Timer(); }
void TMainForm::Timer3Timer() { live().Timer3Timer(); }
void TMainForm::Timer4Timer() {
  if (live_->replay) return;
  RunLive(*live_, [this] { live().Timer4Timer(); }, 4);
}

// ---- hidden operations ----

void TMainForm::OzGetLoopBtnClick() {
  RunLive(*live_, [this] { live().OzGetLoopBtnClick(); });
}
void TMainForm::CalcBtn1Click() {
  if (loaded_ && day_) CalcBtn1(*day_);
}
void TMainForm::OzReadBtnClick() { live().OzReadBtnClick(); }
void TMainForm::HrReadBtnClick() { live().HrReadBtnClick(); }
void TMainForm::BataijuReadBtnClick() { live().BataijuReadBtnClick(); }
void TMainForm::KaisaiReadBtnClick() { live().KaisaiReadBtnClick(); }

// ---- commands ----

void TMainForm::KekkaGetBtnClick() {
  RunLive(*live_, [this] { live().KekkaGetBtnClick(); });
}
void TMainForm::SokuhoOddsBtnClick() {
  RunLive(*live_, [this] { live().SokuhoOddsBtnClick(); });
}
void TMainForm::GetBataijuBtnClick() {
  RunLive(*live_, [this] { live().GetBataijuBtnClick(); });
}
void TMainForm::GetKaisaiBtnClick() {
  RunLive(*live_, [this] { live().GetKaisaiBtnClick(); });
}
void TMainForm::RVBtnClick() { live().RVBtnClick(); }
void TMainForm::O1Click() {
  RunLive(*live_, [this] { live().O1Click(); });
}
void TMainForm::AutoOzCheckClick() {
  const bool on = autoOzCheck_->isChecked();
  RunLive(*live_, [this, on] { live().AutoOzCheckClick(on); });
}
void TMainForm::T1Click() {
  RunLive(*live_, [this] { live().T1Click(); });
}
void TMainForm::J1Click() {
  if (ctx_.folderChooser) live().J1Click(*ctx_.folderChooser);
}

// ---- start options ----

bool TMainForm::pressCommand(const QString& name) {
  if (auto* box = findChild<QCheckBox*>(name)) {
    box->click();
    return true;
  }
  if (auto* button = findChild<QAbstractButton*>(name)) {
    button->click();
    return true;
  }
  if (auto* action = findChild<QAction*>(name)) {
    action->trigger();
    return true;
  }
  return false;
}

QPixmap TMainForm::picture() {
  QPixmap shot = grab();
  THenkoForm* henko = live_->henko;
  if (henko && henko->isVisible()) {
    QPainter p(&shot);
    const QPoint at = henko->geometry().topLeft() - geometry().topLeft();
    p.drawPixmap(at, henko->grab());
    p.setPen(QColor(0x40, 0x40, 0x40));
    p.drawRect(QRect(at, henko->size()).adjusted(-1, -1, 0, 0));
  }
  return shot;
}

void TMainForm::A1Click() {
  TOzGetTimeForm dialog(ctx_.settingsPath(), this);
  dialog.exec();
}

}  // namespace zelkova::gui
