// The main thread's wait and the modal boxes: woken from any thread, and
// workers' sends carried out while a box or dialog is up.
#include "tests/qt/qt_test_support.h"

#include "platform/dialogs.h"
#include "platform/window_model.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace {

constexpr int LONG_WAIT_MS = 60000;

QString labelText(QWidget* widget) {
  auto* label = dynamic_cast<QLabel*>(widget);
  return label == nullptr ? QStringLiteral("<not a label>") : label->text();
}

// Calls act on the modal widget once it is up, then closes it once done()
// says so or after a while; *finished tells whether done() came true.
template <typename Done>
void whileModal(const std::function<void(QWidget*)>& act, Done done, std::atomic<bool>* finished) {
  QTimer::singleShot(0, [=] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
      ADD_FAILURE() << "no modal widget";
      return;
    }
    act(modal);
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < LONG_WAIT_MS) QTest::qWait(5);
    finished->store(done());
    // A box already answered keeps its answer.
    if (modal->isVisible()) modal->close();
  });
}

}  // namespace

TEST_F(QtWindowTest, WaitEndsWhenAnotherThreadWakesIt) {
  std::atomic<bool> woke{false};
  std::thread waker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    woke.store(true);
    qtFrontEnd().wakeMainThread();
  });
  QElapsedTimer waited;
  waited.start();
  qtFrontEnd().waitForEvents(LONG_WAIT_MS);
  const qint64 elapsed = waited.elapsed();
  waker.join();
  EXPECT_TRUE(woke.load());
  EXPECT_LT(elapsed, LONG_WAIT_MS);
}

TEST_F(QtWindowTest, AWakeIsNeverLostAndTheWaitEndsAtItsTimeout) {
  // A wake from before the wait ends the next wait at once, so none is lost.
  qtFrontEnd().wakeMainThread();
  QElapsedTimer waited;
  waited.start();
  qtFrontEnd().waitForEvents(LONG_WAIT_MS);
  EXPECT_LT(waited.elapsed(), LONG_WAIT_MS);

  waited.start();
  qtFrontEnd().waitForEvents(30);
  EXPECT_GE(waited.elapsed(), 29);
}

TEST_F(QtWindowTest, AClickDuringTheWaitEndsItWithTheCommand) {
  ShowWindow(window, SW_SHOWNORMAL);
  QTimer::singleShot(10, [this] { QTest::mouseClick(widget(IDC_PROCESS), Qt::LeftButton); });
  qtFrontEnd().waitForEvents(LONG_WAIT_MS);
  const auto messages = takeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(LOWORD(messages[0].wParam), IDC_PROCESS);
}

TEST_F(QtWindowTest, AWorkersSendIsCarriedOutWhileAMessageBoxIsUp) {
  std::atomic<bool> sent{false};
  std::atomic<bool> finished{false};
  std::thread worker;
  QString boxText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  whileModal(
      [&](QWidget* modal) {
        auto* box = dynamic_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        boxText = box->text();
        icon = box->icon();
        worker = std::thread([&] {
          SetDlgItemTextA(window, IDC_STATUS, " Converting VSK file to SEG file");
          sent.store(true);
        });
      },
      [&] { return sent.load(); }, &finished);
  MessageBoxA(window, "Error opening file [/data/caf\xE9.vsk].\nCheck for IN USE state.", "ERROR",
              MB_OK | MB_ICONERROR);
  if (worker.joinable()) worker.join();
  EXPECT_TRUE(finished.load());
  EXPECT_EQ(boxText, QStringLiteral("Error opening file [/data/caf\\xE9.vsk].\nCheck for IN USE state."));
  EXPECT_EQ(icon, QMessageBox::Critical);
  char status[64] = {};
  GetDlgItemTextA(window, IDC_STATUS, status, sizeof status);
  EXPECT_STREQ(status, " Converting VSK file to SEG file");
}

TEST_F(QtWindowTest, AWorkersSendIsCarriedOutWhileTheFileDialogIsUp) {
  std::atomic<bool> sent{false};
  std::atomic<bool> finished{false};
  std::thread worker;
  whileModal(
      [&](QWidget*) {
        worker = std::thread([&] {
          SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 64, 0);
          sent.store(true);
        });
      },
      [&] { return sent.load(); }, &finished);
  FileDialogRequest request;
  request.title = "Select VSK file";
  std::string path;
  EXPECT_FALSE(qtFrontEnd().askFileName(window, request, &path));
  if (worker.joinable()) worker.join();
  EXPECT_TRUE(finished.load());
  EXPECT_EQ(findControl(*windowModel(window), IDC_PROGRESS)->progressPos, 64);
}

TEST_F(QtWindowTest, BoxesShowTheIconTheirTypeAsksFor) {
  const std::pair<UINT, QMessageBox::Icon> cases[] = {
      {MB_OK, QMessageBox::NoIcon}, {MB_ICONERROR, QMessageBox::Critical}, {MB_ICONWARNING, QMessageBox::Warning}};
  for (const auto& [type, expected] : cases) {
    std::atomic<bool> finished{false};
    QMessageBox::Icon shown = QMessageBox::NoIcon;
    QString caption;
    whileModal(
        [&](QWidget* modal) {
          auto* box = dynamic_cast<QMessageBox*>(modal);
          ASSERT_NE(box, nullptr);
          shown = box->icon();
          caption = box->windowTitle();
        },
        [] { return true; }, &finished);
    EXPECT_EQ(qtFrontEnd().showMessageBox(window, "text", "ERROR", type), IDOK);
    EXPECT_EQ(shown, expected) << type;
    EXPECT_EQ(caption, QStringLiteral("ERROR"));
  }
}

TEST_F(QtWindowTest, TheOverwritePromptAsksYesOrNo) {
  for (const bool yes : {true, false}) {
    std::atomic<bool> finished{false};
    QString text;
    whileModal(
        [&](QWidget* modal) {
          auto* box = dynamic_cast<QMessageBox*>(modal);
          ASSERT_NE(box, nullptr);
          text = box->text();
          box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
        },
        [] { return true; }, &finished);
    EXPECT_EQ(qtFrontEnd().confirmOverwrite(window, "/data/line7.SEG"), yes);
    EXPECT_TRUE(text.startsWith(QStringLiteral("/data/line7.SEG already exists.")));
  }
}

TEST_F(QtWindowTest, ABoxComesUpOverAnUpToDateWindow) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetDlgItemTextA(window, IDC_STATUS, " Opening VSK File");
  EnableWindow(GetDlgItem(window, IDC_PROCESS), FALSE);
  QString behind;
  bool processEnabled = true;
  std::atomic<bool> finished{false};
  whileModal(
      [&](QWidget*) {
        behind = labelText(widget(IDC_STATUS));
        processEnabled = widget(IDC_PROCESS)->isEnabled();
      },
      [] { return true; }, &finished);
  MessageBoxA(window, "Error opening file [/data/line7.vsk].\nCheck for IN USE state.", "ERROR", MB_OK | MB_ICONERROR);
  EXPECT_EQ(behind, QStringLiteral(" Opening VSK File"));
  EXPECT_FALSE(processEnabled);
}
