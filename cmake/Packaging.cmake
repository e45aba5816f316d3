# The Debian package, made with `cpack -G DEB` in the build folder (see
# scripts/package). The package installs under the prefix the build was
# configured for, so the helper path compiled into the ICMP library and the
# post-install step agree with where the files land: configure with
# -DCMAKE_INSTALL_PREFIX=/usr for a package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmar)
set(CPACK_PACKAGE_VENDOR Veloxa)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ping a racing-game server and show its status")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)

# The package's revision comes from the newest entry of its changelog, whose
# version must be the project's: quillmar_VERSION-REVISION_ARCH.deb.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/debian/changelog vq_changelog_top LIMIT_COUNT 1)
string(REPLACE "." "\\." vq_version_pattern "${PROJECT_VERSION}")
if(vq_changelog_top MATCHES "^quillmar \\(${vq_version_pattern}-([0-9A-Za-z.+~]+)\\) ")
  set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1})
else()
  set(CPACK_DEBIAN_PACKAGE_RELEASE 0)
  message(WARNING "packaging/debian/changelog has no entry for version ${PROJECT_VERSION} at the top: "
                  "the package gets revision 0, which scripts/package refuses")
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Veloxa Quillmar developers <quillmar@veloxa.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Given the IPv4 address of one game server of a multiplayer racing game, Veloxa
Quillmar measures the round-trip time with an ICMP echo and asks the server for
its status (host, track, players, level, session and time left) with one UDP
datagram to port 6971. It shows the answers in a small dialog, or prints them
with quillmar --query. quillmar-status-server is a stand-in server to try it
with. A small helper with the cap_net_raw capability sends the echoes where
ordinary users may not open ICMP sockets. quillmar-exporter serves the
servers' status to Prometheus.")
# Qt and the C++ runtime come from the libraries the programs link; setcap
# gives the echo helper its capability in the post-install step.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Strips what the strip step leaves, as Debian's package tools do.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageStripComments.cmake)
set(CPACK_VQ_STRIP ${CMAKE_STRIP})

include(CPack)
