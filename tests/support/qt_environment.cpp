// One QApplication for all tests of a widget test program, made when the tests start (not when they are
// listed) and deleted when they end, while Qt's own globals still exist. Without a platform named in the
// environment the tests draw off screen, and nothing they do reaches the user's own settings.

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
    char m_szName[16] = "quoteforge";
    char* m_argv[2] = {m_szName, nullptr};
    QApplication* m_pApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

}  // namespace
