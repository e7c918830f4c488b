#include "fakes/TestFiles.h"
#include "fakes/FakePlatform.h"
#include "platform/NotificationCenter.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"
#include "templates/ColorValue.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

// A template "t" in a private resource folder, with one property of each edited kind.
const char* kTemplate = R"(<template><info><htmlPath>t.html</htmlPath><swfPath>s</swfPath>
<defaultStyle>d</defaultStyle><macAppFilesFolder>m</macAppFilesFolder><mobileTmplFilesPath>p</mobileTmplFilesPath></info>
<properties>
 <property><key>group</key><title>Group</title><desc>g</desc><value></value><valueSource></valueSource><defaultValue></defaultValue>
  <childProperties>
   <property type="pt_list"><key>list</key><title>List</title><desc>d</desc><value>Show</value><valueSource>Show,Hide</valueSource><defaultValue>Show</defaultValue></property>
   <property type="pt_bool"><key>flag</key><title>Flag</title><desc>d</desc><value>show</value><valueSource></valueSource><defaultValue></defaultValue><aTitle>Tick</aTitle></property>
   <property type="pt_color"><key>colour</key><title></title><desc>d</desc><value>#00ff00</value><valueSource></valueSource><defaultValue></defaultValue></property>
  </childProperties>
 </property>
</properties></template>)";

struct OutlineFixture : ::testing::Test {
    test::FakePlatform platform;
    std::unique_ptr<Template> tmpl;
    TemplatePropertyModel model;
    std::vector<const void*> changed;
    int tips = 0;
    ScopedObserver changes{NotificationCenter::defaultCenter(), PropertyValueChangedNotification, nullptr,
                           [this](const Notification& n) { changed.push_back(n.object); }};
    ScopedObserver tipObserver{NotificationCenter::defaultCenter(), PropertyTipNotification, nullptr,
                               [this](const Notification&) { ++tips; }};

    void SetUp() override
    {
        const QString res = platform.root() + QLatin1String("/res");
        QDir().mkpath(res + QLatin1String("/AppFiles/Templates/float"));
        test::writeFile(res + QLatin1String("/AppFiles/Templates/t/flashTemplate.xml"), kTemplate);
        platform.setResourcesDir(res);
        tmpl = std::make_unique<Template>();
        ASSERT_TRUE(tmpl->loadTemplate(QStringLiteral("t")));
        model.setTemplate(tmpl.get());
    }
    QModelIndex valueOf(int row) { return model.index(row, 1, model.index(0, 0)); }
};

} // namespace

TEST_F(OutlineFixture, WritesBackByTypeAndAnnouncesOnlyRealChanges)
{
    // Choosing the list item that is already the value announces nothing; another one, once.
    EXPECT_FALSE(model.setData(valueOf(0), 0));
    EXPECT_TRUE(changed.empty());
    EXPECT_TRUE(model.setData(valueOf(0), 1));
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], tmpl->findProperty(QStringLiteral("list")));
    EXPECT_EQ(tmpl->propertyValueFor(QStringLiteral("list"), QString()), QStringLiteral("Hide"));
    EXPECT_FALSE(model.setData(valueOf(0), 7)); // not a choice: nothing written

    // Unticking writes "NO", ticking again "YES", whatever word the template used.
    EXPECT_TRUE(model.setData(valueOf(1), false));
    EXPECT_EQ(tmpl->propertyValueFor(QStringLiteral("flag"), QString()), QStringLiteral("NO"));
    EXPECT_TRUE(model.setData(valueOf(1), true));
    EXPECT_EQ(tmpl->propertyValueFor(QStringLiteral("flag"), QString()), QStringLiteral("YES"));

    // A colour keeps its text; the key column is not editable.
    EXPECT_TRUE(model.setData(valueOf(2), QStringLiteral("0x00FF00")));
    EXPECT_FALSE(model.setData(model.index(2, 0, model.index(0, 0)), QStringLiteral("x")));
    EXPECT_EQ(changed.size(), 4u);

    model.selectionDidChange();
    model.selectionDidChange();
    EXPECT_EQ(tips, 2);
}
