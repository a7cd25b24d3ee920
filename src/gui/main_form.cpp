#include "gui/main_form.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScreen>
#include <QGuiApplication>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "base/cp932.h"
#include "base/file_io.h"
#include "gui/folder_viewer_ex.h"
#include "gui/get_data_form.h"
#include "gui/help_pages.h"
#include "gui/hint_list.h"
#include "gui/history_pages.h"
#include "gui/kakoso_form.h"
#include "gui/qt_platform.h"
#include "gui/race_grid.h"
#include "gui/race_view_pages.h"
#include "gui/reference_page.h"
#include "gui/wait_form.h"
#include "day/load_report.h"
#include "output/grid_clipboard.h"
#include "output/race_list.h"
#include "store/legacy_um.h"
#include "store/stored_paths.h"
#include "jvlink/software_id.h"

namespace zelkova::gui {

TMainForm::TMainForm(AppContext& ctx, QWidget* parent)
    : QMainWindow(parent), ctx_(ctx), ini_(ctx.settingsPath()), view_(std::make_unique<RaceView>()) {
  setObjectName("MainForm");
  setWindowTitle("Zelkova");
  InstallHelpKey(this, "main");
  // Settings, fixed files, folders and the error log; the messages are shown before any window.
  state_ = RunMainFormCreate(ctx_, ini_);
  ctx_.readOnly = state_.readOnly;
  if (ctx_.prompts)
    for (const std::string& m : state_.messages) ctx_.prompts->information(m);

  buildPages();
  buildActions();
  buildToolbar();
  buildMenus();
  dlLabel_ = new QLabel(this);
  dlLabel_->setObjectName("DLlabel");
  statusBar()->setObjectName("StatusBar1");
  // The standing hint sits where passing messages and button hints appear, and comes back
  // after them.
  statusHint_ = new QLabel(this);
  statusHint_->setObjectName("StatusHint");
  statusBar()->addWidget(statusHint_, 1);
  statusBar()->addPermanentWidget(dlLabel_);
  initLive();

  folderViewerEx1_ = std::make_unique<TFolderViewerEx>(ctx_.folderChooser);
  folderViewerEx1_->StatusText = ::zelkova::Sj("選択ﾌｫﾙﾀﾞ ");
  folderViewerEx1_->Text = ::zelkova::Sj(
      "選択したいﾌｫﾙﾀﾞのｱｲｺﾝをｸﾘｯｸしてください。選択不可能なﾌｫﾙﾀﾞがｸﾘｯｸされた場合は「OK」ﾎﾞﾀﾝが有効になりません。");

  // Loading the stored values is not a change by the user: nothing is written back here.
  for (QObject* o : std::initializer_list<QObject*>{spinEdit1_, spinEdit2_, spinEdit3_, radioGroup1_}) o->blockSignals(true);
  spinEdit1_->setValue(state_.shukeiYear);
  spinEdit2_->setValue(state_.shukeiMonth);
  spinEdit3_->setValue(state_.sampleCount);
  if (auto* b = radioGroup1_->button(state_.futanjuryo == 1 ? 1 : 0)) b->setChecked(true);
  for (QObject* o : std::initializer_list<QObject*>{spinEdit1_, spinEdit2_, spinEdit3_, radioGroup1_}) o->blockSignals(false);
  dd1_->setChecked(state_.dataListClose);
  resize(state_.locate.width, state_.locate.height);
  move(state_.locate.left, state_.locate.top);
  // The first start has no size kept: the window takes the screen's available area.
  if (!state_.locateStored) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->availableGeometry());
  }

  Timer1.setInterval(40000);
  Timer2.setInterval(500);
  Timer3.setInterval(1000);
  Timer4.setInterval(1000);
  connect(&Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
  connect(&Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
  connect(&Timer3, &QTimer::timeout, this, [this] { Timer3Timer(); });
  connect(&Timer4, &QTimer::timeout, this, [this] { Timer4Timer(); });
  if (!state_.terminate) {
    Timer2.start();
    Timer3.start();
    RTreadBtnClick();
  }
  MakeDataListBtnClick();
}

TMainForm::~TMainForm() = default;

QTableWidget* TMainForm::grid(const QString& name) const { return findChild<QTableWidget*>(name); }

void TMainForm::info(const std::string& cp932) {
  if (ctx_.prompts) ctx_.prompts->information(cp932);
}

void TMainForm::reportWrite(const Status& s) {
  if (!s.ok()) info(::zelkova::Sj("設定を保存できませんでした：") + s.message());
}

// ---- building ----

QTableWidget* TMainForm::addGrid(QWidget* page, const QString& name) {
  auto* g = new QTableWidget(page);
  g->setObjectName(name);
  g->setEditTriggers(QAbstractItemView::NoEditTriggers);
  attachCopyMenu(g);
  page->layout()->addWidget(g);
  return g;
}

void TMainForm::buildPages() {
  auto* central = new QWidget(this);
  auto* row = new QHBoxLayout(central);
  row->setContentsMargins(2, 2, 2, 2);

  panel5_ = new QWidget(central);
  panel5_->setObjectName("Panel5");
  auto* p5 = new QVBoxLayout(panel5_);
  p5->setContentsMargins(0, 0, 0, 0);
  auto* raceList = new HintListWidget(panel5_);
  datList_ = raceList;
  datList_->setObjectName("DatList");
  connect(datList_, &QListWidget::itemClicked, this, [this] { DatListClick(); });
  // Moving through the list with the keyboard, or dragging to another race, chooses the race as
  // a click does.
  raceList->chosenWithoutClick = [this] { DatListClick(); };
  p5->addWidget(datList_);
  panel5_->setFixedWidth(220);
  // Left-aligned so the list keeps its place while the analysis area is hidden.
  row->addWidget(panel5_, 0, Qt::AlignLeft);

  panel12_ = new QWidget(central);
  panel12_->setObjectName("Panel12");
  auto* p12 = new QVBoxLayout(panel12_);
  p12->setContentsMargins(0, 0, 0, 0);
  pages_ = new RaceViewPages(*view_, this);
  connect(pages_, &RaceViewPages::cellClicked, this, [this](ViewGridId id, int r, int c) { raceGridClick(id, r, c); });
  connect(pages_, &RaceViewPages::filtersChanged, this, [this] { rerunView(); });
  p12->addWidget(pages_->buildHeader(panel12_));
  pageControl1_ = new QTabWidget(panel12_);
  pageControl1_->setObjectName("PageControl1");
  p12->addWidget(pageControl1_);
  row->addWidget(panel12_, 1);
  setCentralWidget(central);

  auto page = [this](const char* caption, const char* name) {
    auto* w = new QWidget(pageControl1_);
    w->setObjectName(name);
    new QVBoxLayout(w);
    pageControl1_->addTab(w, QString::fromUtf8(caption));
    return w;
  };
  // The race view's text grids also take the copy popup.
  auto viewGrid = [this](QWidget* w, ViewGridId id) {
    RaceGrid* g = pages_->addGrid(w, id);
    if (HasCopyMenu(id)) attachCopyMenu(g);
    return g;
  };
  viewGrid(page("RT一覧", "TabSheetRT"), ViewGridId::RTList);
  viewGrid(page("着RT", "TabSheetChakuRT"), ViewGridId::ChakuRT);
  viewGrid(page("人RT", "TabSheetNinRT"), ViewGridId::NinRT);
  viewGrid(page("展RT", "TabSheetTenRT"), ViewGridId::TenRT);

  QWidget* jiku = page("軸推理", "TabSheetJiku");
  auto* controls = new QWidget(jiku);
  auto* cl = new QHBoxLayout(controls);
  cl->setContentsMargins(0, 0, 0, 0);
  cl->addWidget(new QLabel(QString::fromUtf8("サンプル数"), controls));
  spinEdit3_ = new QSpinBox(controls);
  spinEdit3_->setObjectName("SpinEdit3");
  spinEdit3_->setRange(3, 20);
  cl->addWidget(spinEdit3_);
  radioGroup1_ = new QButtonGroup(this);
  radioGroup1_->setObjectName("RadioGroup1");
  int id = 0;
  for (const char* t : {"負担重量無視", "負担重量補正"}) {
    auto* rb = new QRadioButton(QString::fromUtf8(t), controls);
    radioGroup1_->addButton(rb, id++);
    cl->addWidget(rb);
  }
  cl->addStretch();
  jiku->layout()->addWidget(controls);
  viewGrid(jiku, ViewGridId::Jiku1);
  viewGrid(jiku, ViewGridId::Jiku2);
  // SpinEdit3Change and RadioGroup1Click: the setting, then the view with the new value.
  connect(spinEdit3_, &QSpinBox::valueChanged, this, [this](int v) {
    if (state_.terminate) return;
    reportWrite(SpinEdit3Change(ini_, v));
    rerunView();
  });
  connect(radioGroup1_, &QButtonGroup::idClicked, this, [this](int v) {
    if (state_.terminate) return;
    reportWrite(RadioGroup1Click(ini_, v));
    rerunView();
  });

  viewGrid(page("出馬表(馬柱)", "TabSheetUmabashira"), ViewGridId::Umabashira);
  viewGrid(page("実績一覧", "TabSheetJisseki"), ViewGridId::Jisseki);
  pages_->buildOddsPage(page("ｵｯｽﾞ", "TabSheetOdds"));
  pages_->buildPayoutPage(page("成績結果", "TabSheetKekka"));
  viewGrid(page("基本情報", "TabSheetKihon"), ViewGridId::Kihon);
  viewGrid(page("血統", "TabSheetKettou"), ViewGridId::Kettou);
  viewGrid(page("馬体重", "TabSheetBataiju"), ViewGridId::Bataiju);

  history_ = new HistoryPages([this] { return loaded_ ? day_.get() : nullptr; }, this);
  QWidget* deme = page("出目一覧", "TabSheetDeme");
  auto* courses = new QTabWidget(deme);
  courses->setObjectName("PageControl3");
  // One sub-page per racecourse of the day: its code, the race list index of its first race
  // and its grid. A load shows the tabs of the day's racecourses only.
  for (int i = 0; i < 3; ++i) {
    auto* w = new QWidget(courses);
    w->setObjectName(QString("TabSheet%1").arg(21 + i));
    auto* v = new QVBoxLayout(w);
    auto* head = new QHBoxLayout;
    auto* code = new QLabel(w);
    code->setObjectName(QString("BashoLabel%1").arg(i + 1));
    auto* idx = new QLabel(w);
    idx->setObjectName(QString("BashoIdx%1").arg(i + 1));
    // They carry the racecourse's code and first race for the grid; the tab names the course.
    code->hide();
    idx->hide();
    head->addWidget(code);
    head->addWidget(idx);
    head->addStretch();
    v->addLayout(head);
    history_->addDemeGrid(w, i, [idx] { return idx->text().trimmed().isEmpty() ? -1 : idx->text().trimmed().toInt(); });
    courses->addTab(w, QString());
    courses->setTabVisible(i, false);
  }
  deme->layout()->addWidget(courses);

  QWidget* shukei = page("集計", "TabSheetShukei");
  auto* span = new QWidget(shukei);
  auto* sl = new QHBoxLayout(span);
  sl->setContentsMargins(0, 0, 0, 0);
  spinEdit1_ = new QSpinBox(span);
  spinEdit1_->setObjectName("SpinEdit1");
  spinEdit1_->setRange(2005, 2100);
  spinEdit2_ = new QSpinBox(span);
  spinEdit2_->setObjectName("SpinEdit2");
  spinEdit2_->setRange(1, 12);
  auto* sum = new QToolButton(span);
  sum->setObjectName("SumBtn");
  sum->setText(QString::fromUtf8("集計"));
  connect(sum, &QToolButton::clicked, this, [this] { SumBtnClick(); });
  sl->addWidget(new QLabel(QString::fromUtf8("集計データ範囲："), span));
  sl->addWidget(spinEdit1_);
  sl->addWidget(new QLabel(QString::fromUtf8("年"), span));
  sl->addWidget(spinEdit2_);
  sl->addWidget(new QLabel(QString::fromUtf8("月以降"), span));
  sl->addWidget(sum);
  sl->addWidget(history_->addProgressLabel(span));
  sl->addStretch();
  shukei->layout()->addWidget(span);
  history_->addSumGrid(shukei);
  connect(spinEdit1_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!state_.terminate) reportWrite(ini_.WriteInteger("ShukeiSpan", "nen", v));
  });
  connect(spinEdit2_, &QSpinBox::valueChanged, this, [this](int v) {
    if (!state_.terminate) reportWrite(ini_.WriteInteger("ShukeiSpan", "tuki", v));
  });

  viewGrid(page("出馬表", "TabSheet1"), ViewGridId::Shutuba);
  addGrid(page("買い目", "TabSheet6"), "StringGrid5");
  pageControl1_->addTab(buildReferencePage(), QString::fromUtf8("参考資料"));
  // These pages are kept for their grids but never offered.
  for (int i = 0; i < pageControl1_->count(); ++i) {
    QString n = pageControl1_->widget(i)->objectName();
    if (n == "TabSheet1" || n == "TabSheet6") pageControl1_->setTabVisible(i, false);
  }
  pageControl1_->setCurrentIndex(0);
}

QWidget* TMainForm::buildReferencePage() {
  referencePage_ = new gui::ReferencePage(state_.tables, pageControl1_);
  referencePage_->setObjectName("TabSheetSanko");
  return referencePage_;
}

void TMainForm::buildActions() {
  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  QAction* n10 = popup_->addAction(QString::fromUtf8("表をクリップボードへコピー"), this, [this] { N10Click(); });
  n10->setObjectName("N10");
  QAction* n12 = popup_->addAction(QString::fromUtf8("レーシングビュアー"), this, [this] { RVBtnClick(); });
  n12->setObjectName("N12");
}

void TMainForm::buildToolbar() {
  auto* bar = addToolBar(QString::fromUtf8("ツールバー"));
  bar->setObjectName("ToolBar1");
  bar->setMovable(false);
  auto button = [this, bar](const char* name, const char* caption, const char* hint, auto slot) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(QString::fromUtf8(caption));
    b->setStatusTip(QString::fromUtf8(hint));
    b->setToolTip(QString::fromUtf8(hint));
    connect(b, &QToolButton::clicked, this, slot);
    bar->addWidget(b);
    return b;
  };
  button("JVBtn", "JVデータ取得", "JV-Linkから蓄積データを取り込みます", [this] { JVBtnClick(); });
  button("PrintBtn", "印刷", "印刷します", [this] { PrintBtnClick(); });
  button("TekiAnaBtn", "的中", "的中レポートを作ります", [this] { TekiAnaBtnClick(); });
  button("TekiAnaBtn2", "穴的中", "5,000円を超える的中のレポートを作ります", [this] { TekiAnaBtn2Click(); });
  button("kakosoBtn", "過去走", "最後に選んだ馬の過去走を表示します", [this] { kakosoBtnClick(); });
  bar->addSeparator();
  button("SpeedButton9", "F", "レース一覧の表示／非表示", [this] { SpeedButton9Click(); });
  dateCombo_ = new QComboBox(bar);
  dateCombo_->setObjectName("DateCombo");
  dateCombo_->setMinimumContentsLength(14);
  dateCombo_->setStatusTip(QString::fromUtf8("読み込む日付"));
  connect(dateCombo_, &QComboBox::activated, this, [this] { DateComboChange(); });
  bar->addWidget(dateCombo_);
  auto* updown = new QWidget(bar);
  updown->setObjectName("UpDown1");
  auto* ul = new QVBoxLayout(updown);
  ul->setContentsMargins(0, 0, 0, 0);
  ul->setSpacing(0);
  for (bool up : {true, false}) {
    auto* b = new QToolButton(updown);
    b->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
    b->setFixedSize(18, 12);
    connect(b, &QToolButton::clicked, this, [this, up] { UpDown1Click(up); });
    ul->addWidget(b);
  }
  bar->addWidget(updown);
  bar->addSeparator();
  button("KekkaGetBtn", "結果情報", "速報の成績・払戻を取得します", [this] { KekkaGetBtnClick(); });
  button("SokuhoOddsBtn", "速報ｵｯｽﾞ", "このレースの速報オッズを取得します", [this] { SokuhoOddsBtnClick(); });
  button("GetBataijuBtn", "馬体重", "速報の馬体重を取得します", [this] { GetBataijuBtnClick(); });
  button("GetKaisaiBtn", "変更情報", "速報の変更情報を取得します", [this] { GetKaisaiBtnClick(); });
  button("RVBtn", "レーシングビュアー", "レース映像を再生します", [this] { RVBtnClick(); });
  autoOzCheck_ = new QCheckBox(QString::fromUtf8("ｵｯｽﾞ自動取得"), bar);
  autoOzCheck_->setObjectName("AutoOzCheck");
  connect(autoOzCheck_, &QCheckBox::clicked, this, [this] { AutoOzCheckClick(); });
  bar->addWidget(autoOzCheck_);
  bar->addSeparator();
  button("SpeedButton6", "ヘルプ", "ヘルプの目次", [this] { SpeedButton6Click(); });
  button("SpeedButton7", "ﾊﾞｰｼﾞｮﾝ情報", "バージョン情報", [this] { SpeedButton7Click(); });
  button("SpeedButton5", "終了", "終了します", [this] { SpeedButton5Click(); });
}

void TMainForm::buildMenus() {
  auto act = [this](QMenu* m, const char* name, const char* caption, auto slot) {
    QAction* a = m->addAction(QString::fromUtf8(caption));
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* file = menuBar()->addMenu(QString::fromUtf8("ファイル(&F)"));
  file->setObjectName("FileMenu");
  act(file, "CSV1", "CSVファイル(&C)", [this] { CSV1Click(); });
  act(file, "SqlExportItem", "SQLに書き出し(&Q)...", [this] { SqlExportClick(); });
  act(file, "FilePrintItem", "印刷(&P)...", [this] { PrintBtnClick(); })->setVisible(false);
  act(file, "FilePrintSetupItem", "ﾌﾟﾘﾝﾀの設定(&R)...", [this] { SpeedButton4Click(); });
  file->addSeparator();
  act(file, "FileExitItem", "終了(&X)", [this] { SpeedButton5Click(); });
  QMenu* data = menuBar()->addMenu(QString::fromUtf8("データ(&D)"));
  data->setObjectName("DataMenu");
  act(data, "T1", "時系列ｵｯｽﾞより取得(&T)", [this] { T1Click(); });
  act(data, "O1", "全レースのオッズを一括取得(&O)", [this] { O1Click(); });
  act(data, "A1", "ﾃﾞｰﾀ自動取得時刻指定(&A)", [this] { A1Click(); });
  dd1_ = act(data, "Dd1", "読込後ﾃﾞｰﾀﾘｽﾄを消す(&D)", [this] { Dd1Click(); });
  dd1_->setCheckable(true);
  act(data, "J1", "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&J)", [this] { J1Click(); });
  QMenu* help = menuBar()->addMenu(QString::fromUtf8("ヘルプ(&H)"));
  help->setObjectName("HelpMenu");
  act(help, "HelpContentsItem", "目次(&C)", [this] { SpeedButton6Click(); });
  act(help, "HelpAboutItem", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", [this] { SpeedButton7Click(); });
}

// ---- events ----

void TMainForm::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shown_ || state_.terminate) return;
  shown_ = true;
  if (!ctx_.jvlink) return;
  ShowOutcome out = RunMainFormShow(*ctx_.jvlink);
  if (out.message.empty()) return;
  if (out.beep && ctx_.prompts) ctx_.prompts->beep();
  info(out.message);
}

void TMainForm::closeEvent(QCloseEvent* e) {
  if (!state_.terminate) {
    reportWrite(WriteGeometry(ini_, "locate", WindowGeometry{y(), x(), width(), height()}));
  }
  e->accept();
}

// ---- commands ----

void TMainForm::MakeDataListBtnClick() {
  // The loaded day is still loaded: while its date is in the new list it stays chosen and shown.
  const QString kept = loaded_ && day_ ? Q(day_->DateText) : QString();
  dateCombo_->clear();
  state_.dates = DateList(ctx_.programFolder);
  for (const std::string& d : state_.dates) dateCombo_->addItem(Q(d));
  const int at = kept.isEmpty() ? -1 : dateCombo_->findText(kept);
  dateCombo_->setCurrentIndex(at);
  if (at < 0) {
    datList_->clear();
    upDownPosition_ = 0;
    panel12_->hide();
    loaded_ = false;
  }
  updateHints();
}

void TMainForm::updateHints() {
  std::string hint;
  if (state_.dates.empty())
    hint = EmptyDateListHint();
  else if (datList_->count() == 0)
    hint = ChooseDateHint();
  statusHint_->setText(state_.dates.empty() ? Q(hint) : QString());
  HintListWidget::SetHint(datList_, Q(hint));
}

// The figures go back to their starting values; the records stay until the next load.
void TMainForm::IniBtnClick() {
  if (day_) ::zelkova::IniBtn(*day_);
  loaded_ = false;
}
// The hidden conversion works on the date the selector shows; a date with no legacy file is
// left alone.
void TMainForm::UMConvertBtnClick() {
  const std::string date = ::zelkova::gui::Sj(dateCombo_->currentText()).substr(0, 14);
  if (date.size() < 14) return;
  if (Status s = ConvertLegacyHorseMaster(ctx_.programFolder, date); !s.ok())
    info(::zelkova::Sj("旧形式の馬マスタを変換できませんでした：") + s.message());
}

void TMainForm::SaveCheckBtnClick() {
  if (!day_ || !loaded_ || state_.readOnly) return;
  if (Status s = ::zelkova::SaveCheckBtnClick(*day_); !s.ok())
    info(::zelkova::Sj("チェックマークを保存できませんでした：") + s.message());
}

// The tables themselves were read with the other fixed files at start; this shows them again.
void TMainForm::RTreadBtnClick() { referencePage_->Refresh(); }

void TMainForm::RadioGroup2Click() { referencePage_->showKind(referencePage_->selectedKind()); }

void TMainForm::JVBtnClick() {
  // The download's read cycle must not meet a real-time fetch's: an automatic fetch due while
  // the window is open runs after it, and a click during a fetch opens the window after that.
  runExclusive([this] {
    const bool wrote = OpenBatchDownload(this, ctx_);
    if (onBatchDownloadClosed) onBatchDownloadClosed();
    MakeDataListBtnClick();
    // A download that wrote files may have changed the loaded day: it is read again.
    if (wrote && loaded_) DateComboChange();
  });
}

void TMainForm::SpeedButton5Click() { close(); }

void TMainForm::SpeedButton6Click() {
  // The help pages the build writes beside the program; the main window's page first.
  const QString page = gui::HelpPagePath(ctx_.programFolder, "main");
  if (page.isEmpty()) {
    info(::zelkova::Sj("ヘルプ「help/main.html」が見つかりません。プログラムと同じフォルダの help フォルダを確かめてください。"));
    return;
  }
  if (!ctx_.shellOpen || !ctx_.shellOpen->open(page.toStdString()))
    info(::zelkova::Sj("ヘルプ「") + ::zelkova::gui::Sj(page) + ::zelkova::Sj("」を開けませんでした。"));
}

void TMainForm::SpeedButton7Click() {
  QDialog about(this);
  about.setObjectName("AboutBox");
  about.setWindowTitle(QString::fromUtf8("ﾊﾞｰｼﾞｮﾝ情報"));
  auto* lay = new QVBoxLayout(&about);
  auto* name = new QLabel("Zelkova", &about);
  QFont f = name->font();
  f.setPointSize(f.pointSize() + 6);
  f.setBold(true);
  name->setFont(f);
  lay->addWidget(name);
  auto* ver = new QLabel(QString::fromStdString(std::string(VersionText)), &about);
  ver->setObjectName("Version");
  lay->addWidget(ver);
  lay->addWidget(new QLabel(QString::fromUtf8("JRA-VAN Data Lab. 会員向け 中央競馬分析ソフト"), &about));
  auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
  connect(ok, &QDialogButtonBox::accepted, &about, &QDialog::accept);
  lay->addWidget(ok);
  about.exec();
}

void TMainForm::SpeedButton4Click() {
  QPrinter printer;
  QPrintDialog dialog(&printer, this);
  dialog.exec();
}

void TMainForm::SpeedButton9Click() { panel5_->setVisible(!panel5_->isVisible()); }

void SecondaryWindow(QWidget* w) {
  if (w) w->setAttribute(Qt::WA_QuitOnClose, false);
}

void TMainForm::setKakosoForm(TKakosoForm* f) {
  SecondaryWindow(f);
  kakosoForm_ = f;
}

void TMainForm::setWaitForm(TWaitForm* w) {
  SecondaryWindow(w);
  waitForm_ = w;
}

TWaitForm* TMainForm::waitForm() {
  if (waitForm_) return waitForm_;
  if (!ownWaitForm_) {
    ownWaitForm_ = std::make_unique<TWaitForm>();
    SecondaryWindow(ownWaitForm_.get());
  }
  return ownWaitForm_.get();
}

// What the main window does while a day loads: the wait window, the race list, the racecourse
// tabs and the stepper. Problems with single files are collected and told once at the end.
class MainFormLoadObserver : public LoadObserver {
 public:
  explicit MainFormLoadObserver(TMainForm& f) : f_(f) {}

  void SetMainWindowEnabled(bool on) override { f_.setEnabled(on); }
  void StopTimers() override {
    f_.Timer3.stop();
    f_.Timer4.stop();
  }
  void UMConvertBtn(const std::string& date) override {
    if (f_.ctx_.readOnly || !FileExists(DataPath(f_.ctx_.programFolder, date, ".jvUMA"))) return;
    if (Status s = ConvertLegacyHorseMaster(f_.ctx_.programFolder, date); !s.ok()) Problem(s.message());
  }
  void ClearRaceList() override { f_.datList_->clear(); }
  void ShowWaitWindow() override {
    TWaitForm* w = f_.waitForm();
    w->setProgress(0);
    w->show();
    w->raise();
  }
  void SetWaitText(const std::string& l1, const std::string& l2) override { f_.waitForm()->setLines(Q(l1), Q(l2)); }
  void SetProgress(int position, int maximum) override { f_.waitForm()->setProgress(position, maximum); }
  // The window is disabled during the load; user input waits so no second load can start.
  void ProcessEvents() override { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }
  void HidePanel12() override { f_.panel12_->hide(); }
  void AddRaceListItem(const std::string& text) override { f_.datList_->addItem(Q(text)); }
  void SetCourseTab(int i, bool visible, const std::string& caption, const std::string& code) override {
    auto* tabs = f_.findChild<QTabWidget*>("PageControl3");
    if (!tabs || i < 0 || i >= tabs->count()) return;
    if (visible) {
      tabs->setTabText(i, Q(caption));
      if (auto* l = f_.findChild<QLabel*>(QString("BashoLabel%1").arg(i + 1))) l->setText(Q(code));
    }
    tabs->setTabVisible(i, visible);
  }
  void SetCourseIndexLabel(int i, const std::string& text) override {
    if (auto* l = f_.findChild<QLabel*>(QString("BashoIdx%1").arg(i + 1))) l->setText(Q(text));
  }
  void SetCourseGridRows(int i, int rows) override {
    if (QTableWidget* g = f_.grid(QString("StringGrid%1").arg(12 + i))) g->setRowCount(std::max(rows, 0));
  }
  void SetUpDown(int maximum, int position) override {
    f_.upDownMax_ = std::max(maximum, 0);
    f_.upDownPosition_ = position;
  }
  void CloseWaitWindow() override { f_.waitForm()->hide(); }
  void SetTimer4(int minutes, bool running) override {
    f_.Timer4.setInterval(std::max(minutes, 1) * 60000);
    if (running) f_.Timer4.start();
  }
  void SelectRace(RaceDay&, int item) override {
    f_.loaded_ = true;
    f_.datList_->setCurrentRow(item);
    f_.DatListClick();
  }
  void Problem(const std::string& text) override { problems.push_back(text); }
  void ShowRankFrequency(const HindCounts& counts) override {
    f_.history_->showCounts(counts);
    f_.history_->repaintDeme();
  }

  std::vector<std::string> problems;

 private:
  TMainForm& f_;
};

LoadInputs TMainForm::loadInputs(const std::string& dateText) const {
  LoadInputs in;
  in.dateText = dateText;
  in.programFolder = ctx_.programFolder;
  in.settings = &ini_;
  in.clock = ctx_.clock;
  in.tables = &state_.tables;
  in.gates = &state_.gate;
  in.readOnly = state_.readOnly;
  return in;
}

void TMainForm::DateComboChange() {
  if (loading_ || state_.terminate) return;
  const QString chosen = dateCombo_->currentText();
  if (chosen.isEmpty()) return;
  const std::string date = ::zelkova::gui::Sj(chosen);
  if (!day_) day_ = MakeRaceDay();
  loading_ = true;
  loaded_ = false;
  const LoadInputs in = loadInputs(date);
  MainFormLoadObserver obs(*this);
  if (ctx_.prompts) ctx_.prompts->busyCursor(true);
  Status s = LoadRaceDay(*day_, in, obs, scratch_);
  if (ctx_.prompts) ctx_.prompts->busyCursor(false);
  waitForm()->hide();
  setEnabled(true);
  loading_ = false;
  if (!s.ok() && !s.isNotFound()) {
    // The day is half-filled: nothing of it is offered.
    datList_->clear();
    panel12_->hide();
  }
  loaded_ = s.ok() && datList_->count() > 0;
  // 集計 counts the days from its range on: a range after the loaded day would count nothing
  // the user is looking at, so it starts on that day's month (not saved until the user sets it).
  if (loaded_ && date.size() >= 10) {
    const int year = std::atoi(date.substr(0, 4).c_str()), month = std::atoi(date.substr(6, 2).c_str());
    if (year * 100 + month < spinEdit1_->value() * 100 + spinEdit2_->value() && year >= 2005 && month >= 1) {
      const QSignalBlocker b1(spinEdit1_), b2(spinEdit2_);
      spinEdit1_->setValue(year);
      spinEdit2_->setValue(month);
    }
  }
  updateHints();
  // Everything the load has to tell, in one box.
  if (const std::string text = LoadReport(date, s, datList_->count(), obs.problems); !text.empty()) info(text);
}

// The stepper moves through the races of the loaded day; up is the next race.
void TMainForm::UpDown1Click(bool up) {
  int n = datList_->count();
  if (n < 2) return;
  int pos = std::clamp(upDownPosition_ + (up ? 1 : -1), 0, n - 1);
  if (pos == upDownPosition_ && datList_->currentRow() == pos) return;
  upDownPosition_ = pos;
  datList_->setCurrentRow(pos);
  DatListClick();
}

// The race view (DatListClick) of the race list's selected race.
void TMainForm::DatListClick() {
  const int row = datList_->currentRow();
  if (!loaded_ || !day_ || row < 0 || row >= datList_->count()) return;
  const std::vector<int> items = RaceListSlots(*day_);
  if (row >= static_cast<int>(items.size())) return;
  const int slot = items[static_cast<size_t>(row)];
  RaceViewOptions options;
  options.samples = spinEdit3_->value();
  options.weightSwitch = std::max(radioGroup1_->checkedId(), 0);
  options.dateText = ::zelkova::gui::Sj(dateCombo_->currentText());
  options.clock = ctx_.clock;
  Timer3.stop();
  RaceViewResult result = RunRaceView(*day_, slot, options, *view_);
  panel12_->setVisible(view_->panel12Visible);
  if (!result.shown) {
    info(result.message);
    return;
  }
  pages_->refresh();
  if (view_->timer3Enabled) Timer3.start();
  upDownPosition_ = row;
  if (dd1_->isChecked()) panel5_->hide();
}

bool TMainForm::ShowRace(const QString& yyyymmdd, int race, const QString& page, QString* why) {
  auto fail = [why](const QString& text) {
    if (why) *why = text;
    return false;
  };
  int index = yyyymmdd.isEmpty() && dateCombo_->count() > 0 ? 0 : -1;
  if (!yyyymmdd.isEmpty()) {
    const QString text = yyyymmdd.left(4) + U("年") + yyyymmdd.mid(4, 2) + U("月") + yyyymmdd.mid(6, 2) + U("日");
    index = dateCombo_->findText(text);
  }
  if (index < 0) return fail(yyyymmdd.isEmpty() ? U("保存されている日付がありません")
                                                  : yyyymmdd.left(4) + U("年") + yyyymmdd.mid(4, 2) + U("月") +
                                                        yyyymmdd.mid(6, 2) + U("日は保存されていません"));
  dateCombo_->setCurrentIndex(index);
  DateComboChange();
  if (!loaded_) return fail(U("その日を読み込めませんでした"));
  return ShowRaceOfDay(race, page, why);
}

bool TMainForm::ShowRaceOfDay(int race, const QString& page, QString* why) {
  auto fail = [why](const QString& text) {
    if (why) *why = text;
    return false;
  };
  if (!loaded_) return fail(U("日付が読み込まれていません"));
  if (race > 0) {
    if (race > datList_->count()) return fail(U("レース一覧は%1レースです").arg(datList_->count()));
    datList_->setCurrentRow(race - 1);
    DatListClick();
  }
  if (!page.isEmpty()) {
    int tab = -1;
    for (int i = 0; i < pageControl1_->count(); ++i)
      if (pageControl1_->tabText(i) == page || pageControl1_->widget(i)->objectName() == page) tab = i;
    if (tab < 0 || !pageControl1_->isTabVisible(tab)) return fail(U("「") + page + U("」というページはありません"));
    pageControl1_->setCurrentIndex(tab);
  }
  return true;
}

void TMainForm::rerunView() {
  if (loaded_ && datList_->currentRow() >= 0) DatListClick();
}

void TMainForm::raceGridClick(ViewGridId id, int row, int col) {
  if (!day_ || !loaded_) return;
  ClickResult r = GridClick(*day_, *view_, id, row, col);
  if (r.action == ClickAction::OpenPastRuns) {
    kakosoBtnClick();
  } else if (r.action == ClickAction::CheckToggled) {
    pages_->refreshGrid(id);
    if (!r.saved.ok() && !state_.readOnly)
      info(::zelkova::Sj("チェックマークを保存できませんでした：") + r.saved.message());
  }
}

void TMainForm::Dd1Click() {
  if (!state_.terminate) reportWrite(ini_.WriteBool("datalist", "close", dd1_->isChecked()));
}

}  // namespace zelkova::gui
