// The channel aliases: DevName.dat and the alias panel.

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QTest>

#include "history/parts/ChannelAliases.h"
#include "platform/gui/Chart.h"
#include "platform/gui/ComboBoxes.h"
#include "platform/gui/Containers.h"
#include "platform/gui/Cp936Edit.h"
#include "tests/history/ViewerFixture.h"

namespace {

class ViewerAliasTest : public ViewerTest {
 protected:
  std::string AliasFile() const { return dir.File("DevName.dat"); }
  // Picks channel k in the panel's combo box as the user does, then types and stores `alias`.
  void Modify(int k, const char* alias) {
    SetComboItemIndex(*form->ComboBoxChName, k);
    form->ComboBoxChNameChange();
    form->MaskEditChName->setText(QString::fromUtf8(alias));
    form->btModChNameClick();
  }
  std::string Entry(int k) const { return ReadFileBytes(AliasFile()).substr(23 * k, 23); }
};

TEST_F(ViewerAliasTest, ModifyStoresTheAliasInItsEntryAndTitlesTheCurve) {
  WriteAndOpen("a.vq", 3, 4, 60);
  form->N2Click();
  EXPECT_TRUE(form->Panel1->isVisibleTo(form.get()));

  Modify(1, "Boiler outlet T");  // 15 characters
  EXPECT_EQ(Entry(1), std::string("Boiler outlet T") + std::string(8, '\0'));
  EXPECT_EQ(ReadFileBytes(AliasFile()).size(), 2944u);
  EXPECT_EQ(form->Chart2->Series(1)->Title(), QStringLiteral("Boiler outlet T"));

  Modify(0, "ABCDEFGHIJKLMNOPQRSTUV");  // 22 characters: no NUL
  EXPECT_EQ(Entry(0), std::string("ABCDEFGHIJKLMNOPQRSTUV") + '\0');
  form->MaskEditChName->clear();
  form->ComboBoxChNameChange();
  EXPECT_EQ(form->MaskEditChName->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV"));

  Modify(0, "ab   ");  // long then short, trailing blanks dropped
  EXPECT_EQ(Entry(0), std::string("ab") + std::string(21, '\0'));
  EXPECT_EQ(form->Chart2->Series(0)->Title(), QStringLiteral("ab"));
  EXPECT_TRUE(messageBoxes.isEmpty());

  form->btModChNameExitClick();
  EXPECT_FALSE(form->Panel1->isVisibleTo(form.get()));
}

TEST_F(ViewerAliasTest, AliasesBelongToChannelPositions) {
  WriteAndOpen("a.vq", 3, 4, 60);
  Modify(1, "Tag 7");
  WriteAndOpen("b.vq", 2, 4, 60);
  EXPECT_EQ(form->Chart2->Series(1)->Title(), QStringLiteral("Tag 7"));
  EXPECT_EQ(form->Chart2->Series(0)->Title(), QString());
  EXPECT_EQ(form->ComboBoxChName->itemText(1), QStringLiteral("Ch1"));

  // A later viewer reads them back.
  TChannelAliasTable table;
  ASSERT_TRUE(table.Load(AliasFile()).ok());
  EXPECT_EQ(table.Alias(1), "Tag 7");
}

TEST_F(ViewerAliasTest, NoChannelPickedDoesNothing) {
  form->MaskEditChName->setText(QStringLiteral("x"));
  form->btModChNameClick();
  form->ComboBoxChNameChange();
  EXPECT_EQ(ReadFileBytes(AliasFile()), std::string(2944, '\0'));
  EXPECT_EQ(form->MaskEditChName->text(), QStringLiteral("x"));
  EXPECT_TRUE(messageBoxes.isEmpty());
}

TEST_F(ViewerAliasTest, AliasFileGoneAtModifyIsReportedAndNotCreated) {
  WriteAndOpen("a.vq", 3, 4, 60);
  std::filesystem::remove(AliasFile());
  Modify(2, "Flow");
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral("DevName.dat")));
  EXPECT_FALSE(std::filesystem::exists(AliasFile()));
  EXPECT_EQ(View().ChannelAliasTable().Alias(2), "Flow");
  EXPECT_EQ(form->Chart2->Series(2)->Title(), QStringLiteral("Flow"));
}

TEST_F(ViewerAliasTest, AliasFileThatCannotBeReadAtStartIsReportedAndLeftAlone) {
  // Something that is not a readable file stands under the alias file's name.
  std::filesystem::remove(AliasFile());
  std::filesystem::create_directory(AliasFile());
  messageBoxes.clear();
  form->LoadChannelAliases();
  ASSERT_EQ(messageBoxes.size(), 1);
  EXPECT_TRUE(messageBoxes[0].contains(QStringLiteral("DevName.dat")));
  EXPECT_TRUE(std::filesystem::is_directory(AliasFile()));
}

TEST_F(ViewerAliasTest, AliasEditHoldsTwentyTwoCodePageBytes) {
  EXPECT_EQ(form->MaskEditChName->MaxBytes(), 22);
  WriteAndOpen("a.vq", 1, 1, 60);
  Modify(0, "锅炉出口温度锅炉出口温度");  // 12 Chinese characters: 24 bytes, cut to 11
  EXPECT_EQ(View().ChannelAliasTable().Alias(0), "锅炉出口温度锅炉出口温");
}

TEST_F(ViewerAliasTest, PastedAliasKeepsTheLeadingTwentyTwoBytes) {
  WriteAndOpen("a.vq", 2, 1, 60);
  form->N2Click();
  SetComboItemIndex(*form->ComboBoxChName, 1);
  form->ComboBoxChNameChange();
  // 30 characters, then a mixed text with a character the code page cannot hold.
  QGuiApplication::clipboard()->setText(QStringLiteral("Boiler 3 outlet temperature 2"));
  QTest::keyClick(form->MaskEditChName, Qt::Key_V, Qt::ControlModifier);
  form->btModChNameClick();
  EXPECT_EQ(Entry(1), "Boiler 3 outlet temper" + std::string(1, '\0'));
  EXPECT_EQ(form->Chart2->Series(1)->Title(), QStringLiteral("Boiler 3 outlet temper"));

  form->MaskEditChName->clear();
  const QString fire = QString::fromUtf8("\xF0\x9F\x94\xA5");
  QGuiApplication::clipboard()->setText(QString::fromUtf8("锅炉") + fire +
                                        QString::fromUtf8("出口温度 T1 锅炉出口"));
  QTest::keyClick(form->MaskEditChName, Qt::Key_V, Qt::ControlModifier);
  form->btModChNameClick();
  // 12 bytes of Chinese, " T1 " and three more Chinese characters make 22; the fire is left out.
  EXPECT_EQ(View().ChannelAliasTable().Alias(1), "锅炉出口温度 T1 锅炉出");
}

}  // namespace
