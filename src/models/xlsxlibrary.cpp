#include "models/xlsxlibrary.h"

#include "core/logging.h"

#include <type_traits>

#ifdef CORVANE_XLSXWRITER_LIBRARY
#include <dlfcn.h>
#endif

namespace Corvane::Model {

const Xlsx* Xlsx::get()
{
    static const std::unique_ptr<const Xlsx> loaded = load();
    return loaded.get();
}

std::unique_ptr<const Xlsx> Xlsx::load()
{
    auto xlsx = std::make_unique<Xlsx>();
#ifdef CORVANE_XLSXWRITER_LIBRARY
    // Kept loaded until the process ends.
    void* library = dlmopen(LM_ID_NEWLM, CORVANE_XLSXWRITER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        qCWarning(corvaneLog) << "Cannot load" << CORVANE_XLSXWRITER_LIBRARY << dlerror();
        return nullptr;
    }
    bool complete = true;
    const auto resolve = [library, &complete](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(library, name));
        complete = complete && entry;
    };
#define CORVANE_RESOLVE(entry, function) resolve(xlsx->entry, #function)
#else
#define CORVANE_RESOLVE(entry, function) xlsx->entry = &function
    const bool complete = true;
#endif
    CORVANE_RESOLVE(workbookNew, workbook_new_opt);
    CORVANE_RESOLVE(addWorksheet, workbook_add_worksheet);
    CORVANE_RESOLVE(addFormat, workbook_add_format);
    CORVANE_RESOLVE(close, workbook_close);
    CORVANE_RESOLVE(free, lxw_workbook_free);
    CORVANE_RESOLVE(setBold, format_set_bold);
    CORVANE_RESOLVE(setFontSize, format_set_font_size);
    CORVANE_RESOLVE(setNumberFormat, format_set_num_format);
    CORVANE_RESOLVE(writeString, worksheet_write_string);
    CORVANE_RESOLVE(writeNumber, worksheet_write_number);
    CORVANE_RESOLVE(writeDatetime, worksheet_write_datetime);
    CORVANE_RESOLVE(freezePanes, worksheet_freeze_panes);
    CORVANE_RESOLVE(setColumn, worksheet_set_column);
    CORVANE_RESOLVE(autofilter, worksheet_autofilter);
    CORVANE_RESOLVE(errorText, lxw_strerror);
#undef CORVANE_RESOLVE
    if (!complete) {
        qCWarning(corvaneLog) << "libxlsxwriter lacks an entry point";
        return nullptr;
    }
    return xlsx;
}

}
