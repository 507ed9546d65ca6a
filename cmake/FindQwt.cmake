# Qwt for Qt 5 as Debian ships it (libqwt-qt5-dev): headers in include/qwt, library qwt-qt5.
# Its pkg-config file would also link the Qt modules Qwt itself uses (OpenGL, print support,
# concurrency), which the client does not; the library alone is enough.
find_path(Qwt_INCLUDE_DIR qwt_plot.h PATH_SUFFIXES qwt)
find_library(Qwt_LIBRARY NAMES qwt-qt5)

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Qwt REQUIRED_VARS Qwt_LIBRARY Qwt_INCLUDE_DIR)

if(Qwt_FOUND AND NOT TARGET Qwt::Qwt)
    add_library(Qwt::Qwt UNKNOWN IMPORTED)
    set_target_properties(Qwt::Qwt PROPERTIES
        IMPORTED_LOCATION ${Qwt_LIBRARY}
        INTERFACE_INCLUDE_DIRECTORIES ${Qwt_INCLUDE_DIR}
        INTERFACE_LINK_LIBRARIES "Qt5::Widgets")
endif()
