// One QApplication for all tests of this program, made when the tests start (not when they are listed).

#include <QApplication>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace {

class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Nothing a test does may reach the user's own settings or configuration directory.
        QStandardPaths::setTestModeEnabled(true);
        m_pApp = new QApplication(m_argc, m_argv);
    }
    void TearDown() override
    {
        delete m_pApp;
        m_pApp = nullptr;
    }

private:
    int m_argc = 1;
    char m_szName[16] = "settings_tests";
    char* m_argv[2] = {m_szName, nullptr};
    QApplication* m_pApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

}  // namespace
