# The Debian package (cpack -G DEB in the build folder): the programs, the help document, the
# desktop entry, icons, record file type, AppStream component, udev rule and manual pages, as
# `cmake --install` puts them, below /usr.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "qxlog")
set(CPACK_PACKAGE_VENDOR "Vornak")
set(CPACK_PACKAGE_CONTACT "Vornak <support@vornak.example>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "host program for the QX family of USB data loggers")
set(CPACK_PACKAGE_DESCRIPTION [=[
QX Logger recognises the attached QX instrument (temperature, temperature and
humidity, sound level, CO2 and formaldehyde, air pressure, air flow), shows its
live readings, alarms and settings, sets its clock, downloads its recording
into record files (*.QXRec) and browses them as sample lists and trend charts
with dew point and air density. It exports workbooks, text and CSV, and prints.
qxlog-cli does the same instrument and record work for scripts. A udev rule
gives the user at the seat access to the instruments.]=])
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "science")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.vornak.example/")
# The shared libraries' packages come from dpkg-shlibdeps; the Qt platform plugins, a font
# with the Chinese texts and the units, and the MIME database are loaded at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk, fonts-dejavu-core, shared-mime-info, hicolor-icon-theme")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, desktop-file-utils, udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${PROJECT_SOURCE_DIR}/res/debian/postinst;${PROJECT_SOURCE_DIR}/res/debian/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
