#include <QApplication>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

// Per-user files (programming history, recent files, port choices, own models, firmware copies)
// go to a folder of the run, never the tester's own, and each test gets a fresh one of its own;
// programs the tests start inherit it. ctest runs every test in a process of its own, so no test
// may find what another one left there, and a whole test program run at once (as under wine)
// must not either.
class FreshUserData : public ::testing::EmptyTestEventListener {
public:
    FreshUserData() { use(run_); }

private:
    void OnTestStart(const ::testing::TestInfo&) override {
        test_ = std::make_unique<QTemporaryDir>();
        use(*test_);
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        use(run_);
        test_.reset();
    }
    static void use(const QTemporaryDir& folder) {
        qputenv("XDG_DATA_HOME", folder.path().toLocal8Bit());
    }

    QTemporaryDir run_;
    std::unique_ptr<QTemporaryDir> test_;
};

} // namespace

int main(int argc, char** argv) {
    // Tests never need a display; the offscreen platform renders widgets in memory.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto* userData = new FreshUserData; // owned by gtest's listeners from below
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(userData);
    return RUN_ALL_TESTS();
}
