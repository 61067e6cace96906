// The output directory chooser: the field that follows the directory list, and OK's checks, questions
// and creation of one directory level.

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "dialogs/choose_dir.h"
#include "dialogs/message_box.h"
#include "support/temp_dir.h"

using namespace dialogs;

namespace {

QString Native(const std::string& path)
{
    return QDir::toNativeSeparators(QString::fromStdString(path));
}

// data with the subdirectories alpha, beta and gamma.
QString MakeTree(const CTempDir& dir)
{
    for (const char* szName : {"alpha", "beta", "gamma"})
        std::filesystem::create_directories(dir.Path() / "data" / szName);
    return Native((dir.Path() / "data").string());
}

class ChooseDir : public ::testing::Test {
protected:
    QString Path(const char* szRelative) const { return Native((m_dir.Path() / szRelative).string()); }
    QLineEdit* Field(CChooseDir& chooser) { return chooser.findChild<QLineEdit*>("DirectoryName"); }
    QListWidget* List(CChooseDir& chooser) { return chooser.findChild<QListWidget*>("Directories"); }
    // Types the text into the field and presses OK.
    void Choose(CChooseDir& chooser, const QString& strText)
    {
        Field(chooser)->setText(strText);
        chooser.OnOK();
    }

    CTempDir m_dir;
    CMessageBoxLog m_messages;
    QString m_strData = MakeTree(m_dir);
    CChooseDir m_chooser{m_strData};
};

TEST_F(ChooseDir, StartsInTheCurrentPathWithTheFieldInStep)
{
    EXPECT_EQ(QDir::toNativeSeparators(m_chooser.ShownDirectory()), m_strData);
    EXPECT_EQ(Field(m_chooser)->text(), m_strData);
    QListWidget* pList = List(m_chooser);
    ASSERT_GE(pList->count(), 3);
    EXPECT_EQ(pList->item(pList->count() - 3)->text(), "alpha");
    EXPECT_EQ(pList->item(pList->count() - 1)->text(), "gamma");
}

TEST_F(ChooseDir, TheFieldFollowsTheSelectedEntry)
{
    QListWidget* pList = List(m_chooser);
    pList->setCurrentRow(pList->count() - 1);
    EXPECT_EQ(Field(m_chooser)->text(), Path("data/gamma")) << "not data/alpha/beta/gamma";
    pList->setCurrentRow(0);
    EXPECT_TRUE(QDir(Field(m_chooser)->text()).isRoot()) << Field(m_chooser)->text().toStdString();

    // Opening an entry moves the lists into it.
    pList->setCurrentRow(pList->count() - 2);
    QTest::keyClick(pList, Qt::Key_Return);
    EXPECT_EQ(m_chooser.ShownDirectory(), QDir::fromNativeSeparators(Path("data/beta")));
    EXPECT_EQ(Field(m_chooser)->text(), Path("data/beta"));
    EXPECT_NE(m_chooser.result(), QDialog::Accepted) << "Enter in the list is no OK";
}

TEST_F(ChooseDir, AnExistingDirectoryIsHandedBackAsTyped)
{
    const QString strTyped = Path("data/beta");
    Choose(m_chooser, strTyped);
    EXPECT_EQ(m_chooser.result(), QDialog::Accepted);
    EXPECT_EQ(m_chooser.m_strDir, strTyped);
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

TEST_F(ChooseDir, ForbiddenCharactersAreRefused)
{
#ifdef Q_OS_WIN
    const char* const texts[] = {"C:\\a*b", "a?b", "a|b", "a<b", "a>b", "a\"b", "C:/data"};
#else
    const char* const texts[] = {"/tmp/a*b", "a?b", "a|b", "a<b", "a>b", "a\"b"};
#endif
    for (const char* szText : texts) {
        m_messages.Clear();
        Choose(m_chooser, szText);
        EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("%1 is not a valid pathname.").arg(szText)});
        EXPECT_NE(m_chooser.result(), QDialog::Accepted) << szText;
        EXPECT_EQ(Field(m_chooser)->text(), szText) << "the field keeps what was typed";
    }
}

TEST_F(ChooseDir, AMissingDirectoryIsCreatedOneLevelDeepWhenTheUserAgrees)
{
    const QString strNew = Path("data/new");
    Choose(m_chooser, strNew);
    EXPECT_EQ(m_messages.Texts(), QStringList{QStringLiteral("Directory %1 does not exist.\nCreate this directory?").arg(strNew)});
    EXPECT_EQ(m_messages.Buttons(), std::vector<EMessageButtons>{EMessageButtons::YesNo});
    EXPECT_TRUE(QFileInfo(strNew).isDir());
    EXPECT_EQ(m_chooser.result(), QDialog::Accepted);
    EXPECT_EQ(m_chooser.m_strDir, strNew);
}

TEST_F(ChooseDir, NoCreatesNothingAndKeepsTheChooserOpen)
{
    m_messages.SetQuestionAnswer(EMessageAnswer::No);
    const QString strNew = Path("data/new");
    Choose(m_chooser, strNew);
    EXPECT_EQ(m_messages.Texts().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(strNew));
    EXPECT_NE(m_chooser.result(), QDialog::Accepted);
}

TEST_F(ChooseDir, TwoMissingLevelsAreNotCreated)
{
    const QString strNew = Path("data/one/two");
    Choose(m_chooser, strNew);
    EXPECT_EQ(m_messages.Texts(),
              (QStringList{QStringLiteral("Directory %1 does not exist.\nCreate this directory?").arg(strNew),
                           QStringLiteral("There was a problem creating %1.\nThe new directory was not created.").arg(strNew)}));
    EXPECT_EQ(m_messages.Buttons().back(), EMessageButtons::Ok);
    EXPECT_FALSE(QFileInfo::exists(Path("data/one")));
    EXPECT_NE(m_chooser.result(), QDialog::Accepted);
}

TEST_F(ChooseDir, AFileOfThatNameCannotBecomeTheDirectory)
{
    WriteText(m_dir.Path() / "data" / "prices.csv", "1,2,3\n");
    Choose(m_chooser, Path("data/prices.csv"));
    ASSERT_EQ(m_messages.Texts().size(), 2);
    EXPECT_TRUE(m_messages.Texts()[1].startsWith("There was a problem creating "));
    EXPECT_NE(m_chooser.result(), QDialog::Accepted);
}

TEST_F(ChooseDir, AnEmptyFieldIsOfferedAndFailsToBeCreated)
{
    Choose(m_chooser, "");
    EXPECT_EQ(m_messages.Texts(), (QStringList{"Directory  does not exist.\nCreate this directory?",
                                               "There was a problem creating .\nThe new directory was not created."}));
    EXPECT_NE(m_chooser.result(), QDialog::Accepted);
}

TEST_F(ChooseDir, ARelativeNameCountsFromTheShownDirectory)
{
    CKeepWorkingDirectory keep;
    std::filesystem::current_path(m_dir.Path());
    Choose(m_chooser, "fresh");
    EXPECT_EQ(m_chooser.m_strDir, Path("data/fresh"));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir.Path() / "data" / "fresh"));
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "fresh"));
    EXPECT_EQ(std::filesystem::current_path(), m_dir.Path()) << "the working directory stays";
}

TEST_F(ChooseDir, APathStillToBeMadeStaysInTheField)
{
    const QString strMissing = Path("data/later");
    CChooseDir chooser(strMissing);
    EXPECT_EQ(Field(chooser)->text(), strMissing);
    EXPECT_EQ(QDir::toNativeSeparators(chooser.ShownDirectory()), m_strData);
    chooser.OnOK();
    EXPECT_EQ(chooser.m_strDir, strMissing);
    EXPECT_TRUE(QFileInfo(strMissing).isDir());
}

TEST_F(ChooseDir, CancelHandsBackNothing)
{
    Field(m_chooser)->setText(Path("data/new"));
    m_chooser.reject();
    EXPECT_EQ(m_chooser.result(), QDialog::Rejected);
    EXPECT_TRUE(m_chooser.m_strDir.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(m_dir.Path() / "data" / "new"));
    EXPECT_TRUE(m_messages.Texts().isEmpty());
}

}  // namespace
