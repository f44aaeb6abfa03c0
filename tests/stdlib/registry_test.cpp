#include "core/cp1250.h"
#include "scratch_folder.h"
#include "script/dispatch.h"
#include "stdlib/registry_classes.h"

#include <gtest/gtest.h>

using namespace vorlan;
using namespace vorlan::stdlib;
using script::ScriptException;

namespace {

class Registry : public stdlib_test::ScratchFolder {
protected:
    std::filesystem::path tree() { return root / "registry"; }
    // Every file and folder below the scratch root that is not in the registry tree or drive T.
    std::vector<std::string> strays() {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(root))
            if (e.path() != tree() && e.path() != root / "t") out.push_back(e.path().string());
        for (const auto& e : std::filesystem::recursive_directory_iterator(root / "t"))
            out.push_back(e.path().string());
        return out;
    }
};

using Names = std::vector<std::string>;

} // namespace

TEST_F(Registry, KeysAndValuesOfEveryType) {
    RegistryObject reg;
    EXPECT_EQ(reg.rootKey(), kHkeyCurrentUser);
    EXPECT_FALSE(reg.openKey("Software\\Firma", false));
    ASSERT_TRUE(reg.openKey("Software\\Firma", true));
    EXPECT_EQ(reg.currentPath(), "Software\\Firma");
    reg.writeString("Jmeno", czech("Žluťoučký kůň \"s\" \\ a\r\nřádky"));
    reg.writeInteger("Pocet", -5);
    reg.writeBool("Zapnuto", true);
    reg.writeFloat("Kurz", 25.125);
    reg.writeString("", "default");
    EXPECT_EQ(reg.readString("jmeno"), czech("Žluťoučký kůň \"s\" \\ a\r\nřádky"));
    EXPECT_EQ(reg.readInteger("POCET"), -5);
    EXPECT_TRUE(reg.readBool("Zapnuto"));
    EXPECT_DOUBLE_EQ(reg.readFloat("Kurz"), 25.125);
    EXPECT_EQ(reg.readString(""), "default");
    EXPECT_EQ(reg.readString("Chybi"), "");
    EXPECT_THROW(reg.readInteger("Chybi"), ScriptException);
    EXPECT_THROW(reg.readInteger("Jmeno"), ScriptException);
    EXPECT_THROW(reg.readString("Pocet"), ScriptException);
    EXPECT_EQ(reg.dataType("Pocet"), RegType::Integer);
    EXPECT_EQ(reg.dataSize("Pocet"), 4);
    EXPECT_EQ(reg.dataSize("Chybi"), -1);
    EXPECT_EQ(reg.valueNames(), (Names{"Jmeno", "Pocet", "Zapnuto", "Kurz", ""}));
    EXPECT_TRUE(reg.deleteValue("Kurz"));
    EXPECT_FALSE(reg.valueExists("Kurz"));

    // Relative and absolute key paths, names in any letter case.
    ASSERT_TRUE(reg.openKey("Nastaveni\\Okna", true));
    EXPECT_EQ(reg.currentPath(), "Software\\Firma\\Nastaveni\\Okna");
    ASSERT_TRUE(reg.openKey("\\SOFTWARE\\firma", false));
    EXPECT_EQ(reg.readInteger("Pocet"), -5);
    EXPECT_TRUE(reg.hasSubKeys());
    EXPECT_EQ(reg.keyNames(), (Names{"Nastaveni"}));
    EXPECT_TRUE(reg.keyExists("nastaveni\\OKNA"));
    EXPECT_TRUE(reg.deleteKey("Nastaveni"));
    EXPECT_FALSE(reg.keyExists("Nastaveni"));

    // Read-only keys and a closed registry refuse writes.
    ASSERT_TRUE(reg.openKeyReadOnly("\\Software\\Firma"));
    EXPECT_THROW(reg.writeInteger("Pocet", 1), ScriptException);
    reg.closeKey();
    EXPECT_THROW(reg.writeString("x", "y"), ScriptException);
    EXPECT_FALSE(reg.valueExists("Pocet"));

    // Another root key is another tree.
    reg.setRootKey(kHkeyLocalMachine);
    EXPECT_FALSE(reg.keyExists("\\Software\\Firma"));
    reg.setRootKey(0x1234);
    EXPECT_FALSE(reg.openKey("x", true));
}

TEST_F(Registry, NoKeyNameLeavesTheTree) {
    RegistryObject reg;
    for (const char* key : {"..", "..\\..\\..\\etc", "a\\..\\..\\b", "/etc/passwd", "C:\\Windows",
                            ".hidden", "%2E%2E", "x/../../y", "\\\\server\\share"}) {
        reg.closeKey();
        ASSERT_TRUE(reg.openKey(key, true)) << key;
        reg.writeString("v", key);
        EXPECT_EQ(reg.readString("v"), key);
        ASSERT_TRUE(reg.openKey(std::string("\\") + key, false)) << key;
    }
    EXPECT_TRUE(strays().empty());
    reg.closeKey();
    EXPECT_TRUE(reg.keyExists(".."));
    EXPECT_FALSE(reg.deleteKey(""));
    EXPECT_TRUE(reg.deleteKey(".."));
    EXPECT_TRUE(std::filesystem::exists(tree() / "HKEY_CURRENT_USER"));

    // A symbolic link inside the tree is not followed.
    std::filesystem::create_directory_symlink(root / "t", tree() / "HKEY_CURRENT_USER" / "Link");
    EXPECT_FALSE(reg.openKey("Link", true));
    EXPECT_FALSE(reg.keyExists("Link\\x"));
}

TEST_F(Registry, DamagedValueFilesAreReadAsFarAsTheyMakeSense) {
    RegistryObject reg;
    ASSERT_TRUE(reg.openKey("Damaged", true));
    std::ofstream(tree() / "HKEY_CURRENT_USER" / "Damaged" / ".values")
        << "\"ok\"=\"yes\"\n\"bad\"=dword:xyz\nnonsense\n\"n\"=dword:0000002a\n\"h\"=hex:01,0\n"
           "\"unterminated=\"x\n@=\"d\"\n";
    EXPECT_EQ(reg.valueNames(), (Names{"ok", "n", ""}));
    EXPECT_EQ(reg.readInteger("n"), 42);
    EXPECT_EQ(reg.readString(""), "d");
}

TEST_F(Registry, IniFileStyle) {
    RegIniFile ini("Software\\Firma\\Program");
    ini.writeString("Okno", "Titulek", "Ahoj");
    ini.writeInteger("Okno", "Sirka", 640);
    ini.writeBool("Okno", "Max", true);
    ini.writeString("", "Koren", "x");
    EXPECT_EQ(ini.readString("okno", "titulek", "?"), "Ahoj");
    EXPECT_EQ(ini.readString("Okno", "Chybi", "?"), "?");
    EXPECT_EQ(ini.readString("Chybi", "Titulek", "?"), "?");
    EXPECT_EQ(ini.readInteger("Okno", "Sirka", 0), 640);
    EXPECT_EQ(ini.readInteger("Okno", "Titulek", 7), 7);
    EXPECT_TRUE(ini.readBool("Okno", "Max", false));
    EXPECT_EQ(ini.readString("", "Koren", ""), "x");
    EXPECT_EQ(ini.sectionNames(), (Names{"Okno"}));
    EXPECT_EQ(ini.identNames("Okno"), (Names{"Titulek", "Sirka", "Max"}));
    EXPECT_EQ(ini.sectionValues("Okno"), (Names{"Titulek=Ahoj", "Sirka=640", "Max=1"}));
    // The numbers are text in the store, as the class has always kept them.
    RegistryObject raw;
    ASSERT_TRUE(raw.openKey("Software\\Firma\\Program\\Okno", false));
    EXPECT_EQ(raw.readString("Sirka"), "640");
    ini.deleteIdent("Okno", "Max");
    EXPECT_EQ(ini.identNames("Okno").size(), 2u);
    ini.eraseSection("Okno");
    EXPECT_TRUE(ini.sectionNames().empty());
    EXPECT_EQ(ini.currentPath(), "Software\\Firma\\Program");
}
