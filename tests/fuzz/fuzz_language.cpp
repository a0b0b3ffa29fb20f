// The language files: the list of languages ("Language.config") and a language file of texts,
// as the resource manager loads it. A file that does not load leaves the texts as they were.
// Input: the list, then "\n--8<--\n" and the language file.
#include <QString>

#include "core/language_list.h"
#include "fuzz_support.h"
#include "ui/resource_manager.h"

using namespace qx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto pieces = fuzz::SplitInput(data, size, 2);
    const auto folder = fuzz::FreshFolder("language");
    fuzz::WriteBytes(folder / "Language.config", pieces[0]);
    const auto list = ReadLanguageList(folder / "Language.config");
    for (const LanguageEntry& entry : list) (void)LanguageIndexForId(list, entry.id);
    (void)LanguageIndexForId(list, -1);

    fuzz::WriteBytes(folder / "lan_fuzz.json", pieces[1]);
    auto& texts = ui::ResourceManager::GetInstance();
    texts.LoadLanguage(
        QString::fromStdString((fuzz::ShippedData() / "skin" / "lang" / "lan_en.json").string()));
    const QString before = texts.Text(QStringLiteral("setting_title"));
    if (!texts.LoadLanguage(QString::fromStdString((folder / "lan_fuzz.json").string())))
        fuzz::Require(texts.Text(QStringLiteral("setting_title")) == before,
                      "a file that does not load keeps the texts");
    return 0;
}
