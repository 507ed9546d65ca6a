#pragma once

#include <memory>
#include <xlsxwriter.h>

namespace Corvane::Model {

/// libxlsxwriter's entry points. Where it is named by CORVANE_XLSXWRITER_LIBRARY (ELF systems)
/// the library is loaded into a link namespace of its own: it zips through the system's minizip,
/// whose function names QuaZip (the self-update's) exports too, with other arguments; in the one
/// global namespace every such call would reach QuaZip's copy.
struct Xlsx {
    decltype(&workbook_new_opt) workbookNew = nullptr;
    decltype(&workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&lxw_workbook_free) free = nullptr;
    decltype(&format_set_bold) setBold = nullptr;
    decltype(&format_set_font_size) setFontSize = nullptr;
    decltype(&format_set_num_format) setNumberFormat = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_write_datetime) writeDatetime = nullptr;
    decltype(&worksheet_freeze_panes) freezePanes = nullptr;
    decltype(&worksheet_set_column) setColumn = nullptr;
    decltype(&worksheet_autofilter) autofilter = nullptr;
    decltype(&lxw_strerror) errorText = nullptr;

    /// The entry points, loaded once and kept until the process ends; null when the library
    /// cannot be loaded.
    static const Xlsx* get();

private:
    static std::unique_ptr<const Xlsx> load();
};

}
