// The paint manager's process-wide resource settings: instance and resource
// modules, resource path, the resource archive from a file or a memory block,
// and plug-in loading.
#include <gtest/gtest.h>

#include "facet/manager/paint_manager_ui.h"
#include "facet/render/zip_archive.h"
#include "render_test_support.h"

namespace Facet {
namespace {

using test::Bytes;

// Every test starts from, and leaves behind, the settings of a fresh process.
class ResourceSettings : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        CPaintManagerUI::SetResourceZip(L"", false);
        CPaintManagerUI::SetResourcePath(L"");
        CPaintManagerUI::SetResourceDll(nullptr);
        CPaintManagerUI::SetInstance(nullptr);
    }
    static Bytes SmallArchive() { return test::MakeStoredZip({{"skin.xml", Bytes{'<', 'a', '/', '>'}}}); }

    test::CScratchFolder folder_;
};

TEST_F(ResourceSettings, PathGetsABackslashUnlessItEndsInASeparator) {
    CPaintManagerUI::SetResourcePath(L"skin");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"skin\\");
    CPaintManagerUI::SetResourcePath(L"C:\\skin\\");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"C:\\skin\\");
    CPaintManagerUI::SetResourcePath(L"skin/");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"skin/");
    CPaintManagerUI::SetResourcePath(L"");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"");
    CPaintManagerUI::SetResourcePath(nullptr);
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"");
}

TEST_F(ResourceSettings, ResourceModuleFallsBackToTheInstance) {
    const HINSTANCE exe = ::GetModuleHandleW(nullptr);
    const HINSTANCE kernel = ::GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), nullptr);
    CPaintManagerUI::SetInstance(exe);
    EXPECT_EQ(CPaintManagerUI::GetInstance(), exe);
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), exe);
    CPaintManagerUI::SetResourceDll(kernel);
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), kernel);
    CPaintManagerUI::SetResourceDll(nullptr);
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), exe);
}

TEST_F(ResourceSettings, InstancePathIsTheModulesFolderWithItsBackslash) {
    EXPECT_STREQ(CPaintManagerUI::GetInstancePath(), L"");
    CPaintManagerUI::SetInstance(::GetModuleHandleW(nullptr));
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring expected(module);
    expected.erase(expected.rfind(L'\\') + 1);
    EXPECT_EQ(std::wstring(CPaintManagerUI::GetInstancePath()), expected);
}

TEST_F(ResourceSettings, CurrentPathFollowsTheProcessDirectory) {
    const CDuiString before = CPaintManagerUI::GetCurrentPath();
    ASSERT_FALSE(before.IsEmpty());
    std::wstring scratch = folder_.Path();
    scratch.pop_back();  // GetCurrentDirectoryW answers without the backslash
    CPaintManagerUI::SetCurrentPath(scratch.c_str());
    EXPECT_EQ(std::wstring(CPaintManagerUI::GetCurrentPath()), scratch);
    CPaintManagerUI::SetCurrentPath(before);
    EXPECT_STREQ(CPaintManagerUI::GetCurrentPath(), before);
}

TEST_F(ResourceSettings, CachedArchiveFileIsOpenedFromTheResourcePath) {
    folder_.Write(L"skin.zip", SmallArchive());
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"skin.zip", true);
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"skin.zip");
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    CZipArchive* archive = CPaintManagerUI::GetResourceZipHandle();
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->FindMember(std::wstring_view(L"SKIN.XML")), 0);

    // The same name and flag again change nothing: the same archive stays open.
    CPaintManagerUI::SetResourceZip(L"skin.zip", true);
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), archive);
}

TEST_F(ResourceSettings, UncachedArchiveIsOnlyNamed) {
    folder_.Write(L"skin.zip", SmallArchive());
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"skin.zip", true);
    ASSERT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    CPaintManagerUI::SetResourceZip(L"skin.zip", false);
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"skin.zip");
    EXPECT_FALSE(CPaintManagerUI::IsCachedResourceZip());
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceSettings, MissingOrDamagedArchiveFileLeavesNoHandle) {
    CPaintManagerUI::SetResourcePath(folder_.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"absent.zip", true);
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);

    Bytes cut = SmallArchive();
    cut.resize(cut.size() - 10);
    folder_.Write(L"cut.zip", cut);
    CPaintManagerUI::SetResourceZip(L"cut.zip", true);
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceSettings, ArchiveInMemoryIsNamedMembufferAndCached) {
    const Bytes block = SmallArchive();
    CPaintManagerUI::SetResourceZip(block.data(), static_cast<unsigned>(block.size()));
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"membuffer");
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    CZipArchive* archive = CPaintManagerUI::GetResourceZipHandle();
    ASSERT_NE(archive, nullptr);
    EXPECT_EQ(archive->FindMember(std::wstring_view(L"skin.xml")), 0);

    // A second block is ignored while the first is in use.
    const Bytes other = test::MakeStoredZip({{"other.xml", Bytes{'x'}}});
    CPaintManagerUI::SetResourceZip(other.data(), static_cast<unsigned>(other.size()));
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), archive);
    EXPECT_EQ(archive->FindMember(std::wstring_view(L"other.xml")), -1);
}

TEST_F(ResourceSettings, GarbageInMemoryLeavesNoHandle) {
    const Bytes garbage(300, 0x5A);
    CPaintManagerUI::SetResourceZip(garbage.data(), static_cast<unsigned>(garbage.size()));
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"membuffer");
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    CPaintManagerUI::SetResourceZip(static_cast<const void*>(nullptr), 0u);
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceSettings, SwitchingToFilesClosesTheMemoryArchive) {
    const Bytes block = SmallArchive();
    CPaintManagerUI::SetResourceZip(block.data(), static_cast<unsigned>(block.size()));
    ASSERT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    CPaintManagerUI::SetResourceZip(L"", false);
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"");
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
}

TEST_F(ResourceSettings, TermClosesTheCachedArchive) {
    const Bytes block = SmallArchive();
    CPaintManagerUI::SetResourceZip(block.data(), static_cast<unsigned>(block.size()));
    ASSERT_NE(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    CPaintManagerUI::Term();
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
}

TEST(Plugins, RefusedWithoutANameALibraryOrTheExport) {
    const int before = CPaintManagerUI::GetPlugins()->GetSize();
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(nullptr));
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L""));
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"no_such_plugin_module.dll"));
    EXPECT_FALSE(CPaintManagerUI::LoadPlugin(L"kernel32.dll"));
    EXPECT_EQ(CPaintManagerUI::GetPlugins()->GetSize(), before);
}

TEST(Plugins, FactoryIsListedOnce) {
    const int before = CPaintManagerUI::GetPlugins()->GetSize();
    ASSERT_TRUE(CPaintManagerUI::LoadPlugin(L"facet_test_plugin.dll"));
    EXPECT_TRUE(CPaintManagerUI::LoadPlugin(L"facet_test_plugin.dll"));
    CStdPtrArray* plugins = CPaintManagerUI::GetPlugins();
    ASSERT_EQ(plugins->GetSize(), before + 1);
    auto factory = reinterpret_cast<LPCREATECONTROL>(plugins->GetAt(before));
    EXPECT_NE(factory(L"Probe"), nullptr);
    EXPECT_EQ(factory(L"Button"), nullptr);
}

}  // namespace
}  // namespace Facet
