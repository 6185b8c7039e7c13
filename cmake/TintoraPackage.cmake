# The Debian package of Tintora, built by CPack (scripts/package), and what
# the package holds besides the programs, the desktop entry, the icons and
# the manual pages: the AppStream metadata, the copyright notice and the
# changelog that Debian asks of every package.
include(GNUInstallDirs)

# Tintora has no public address yet: the reserved name tintora.example holds
# its place. Software centres fetch the screenshot from
# TINTORA_HOMEPAGE/docs/screenshot.png, so the site is to publish the
# source tree's docs/ folder; the AppStream identifier is the homepage's
# name reversed.
set(TINTORA_HOMEPAGE "https://tintora.example" CACHE STRING "The project's public web address")
set(TINTORA_APP_ID "example.tintora.tintora" CACHE STRING "The AppStream identifier")
set(TINTORA_MAINTAINER "Tintora developers <maintainers@users.noreply.c-seed-dfb92224.example>"
    CACHE STRING "The package's maintainer, name and address")

set(packagingDir ${PROJECT_SOURCE_DIR}/packaging)
set(packageDoc ${CMAKE_INSTALL_DATADIR}/doc/tintora)

# AppStream: what software centres show.
set(TINTORA_SCREENSHOT_URL ${TINTORA_HOMEPAGE}/docs/screenshot.png)
set(TINTORA_METAINFO ${PROJECT_BINARY_DIR}/${TINTORA_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/app/desktop/tintora.metainfo.xml.in ${TINTORA_METAINFO} @ONLY)
install(FILES ${TINTORA_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The copyright notice, in Debian's machine-readable form, with the font's
# licence text as it comes with the font.
file(READ ${PROJECT_SOURCE_DIR}/app/fonts/LICENSE-LiberationSans.txt fontLicense)
string(REGEX REPLACE "\n+$" "" fontLicense "${fontLicense}")
string(REGEX REPLACE "\n\n" "\n.\n" fontLicense "${fontLicense}")
string(REGEX REPLACE "\n" "\n " TINTORA_FONT_LICENSE " ${fontLicense}")
configure_file(${packagingDir}/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${packageDoc})

# The changelog, compressed as Debian keeps it; its date follows
# SOURCE_DATE_EPOCH when that is set.
string(TIMESTAMP TINTORA_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${packagingDir}/changelog.in ${PROJECT_BINARY_DIR}/changelog @ONLY)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/changelog.gz
  COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${PROJECT_BINARY_DIR}/changelog
  DEPENDS ${PROJECT_BINARY_DIR}/changelog
  COMMENT "Compressing the changelog"
  VERBATIM)
add_custom_target(tintora-changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/changelog.gz)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${packageDoc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tintora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TINTORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TINTORA_HOMEPAGE})
# The libraries the programs link come from dpkg-shlibdeps; Qt's image
# plugins, which no program links, read WebP and TIFF.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-image-formats-plugins)
# A synopsis line, then the long description, as Debian's policy has them.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[picture converter for Amstrad CPC screens
Tintora turns a picture (BMP, PNG, JPEG, GIF, WebP or TIFF) into a picture
for an Amstrad CPC screen: mode 0 with sixteen inks, mode 1 with four or
mode 2 with two, each ink one of the CPC's 27 hardware colours.

The window fits the picture to the screen, picks the inks or chooses them,
steers brightness, contrast and local contrast, offers seven dithers and
shows the result as a CPC monitor would. It saves BMP pictures, screen
files and raw sprites, and exports for the CPC: a disc image that shows the
picture, a screen file with its AMSDOS header, or an OCP Art Studio palette.

The command tintora-cli converts pictures in batches with the same engine.]])
include(CPack)
