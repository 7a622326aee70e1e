# How the game meets the desktop: its name there (one reverse-DNS id for the
# desktop entry, the AppStream metadata and the icon), the web addresses the
# metadata gives, the screenshots it shows, and the manual page. The files are
# written into ${CMAKE_BINARY_DIR}/desktop when CMake runs.
set(KLV_APP_ID "org.example.klevaria")
set(KLV_HOMEPAGE "https://klevaria.example.org/")
set(KLV_BUGTRACKER "https://klevaria.example.org/issues/")
set(KLV_SCREENSHOT_URL "${KLV_HOMEPAGE}screenshots/")

# Where an install puts the game's program: CMAKE_INSTALL_BINDIR unless given
# apart (Debian's games go to games/, while the world-table service, a
# system service, stays in bin/).
set(KLV_GAME_BINDIR "" CACHE STRING
    "Folder of the game's program under the prefix (empty: CMAKE_INSTALL_BINDIR)")
set(KLV_GAME_INSTALL_DIR ${KLV_GAME_BINDIR})
if(NOT KLV_GAME_INSTALL_DIR)
  set(KLV_GAME_INSTALL_DIR ${CMAKE_INSTALL_BINDIR})
endif()
if(IS_ABSOLUTE ${KLV_GAME_INSTALL_DIR})
  set(klv_game_full_dir ${KLV_GAME_INSTALL_DIR})
else()
  set(klv_game_full_dir ${CMAKE_INSTALL_PREFIX}/${KLV_GAME_INSTALL_DIR})
endif()

# Where an install keeps the game's data, and the way there from the program's
# own folder: the program finds its data by that relative path, so an
# unpacked package or a moved install tree works wherever it lies.
set(KLV_DATA_INSTALL_DIR ${CMAKE_INSTALL_DATADIR}/klevaria)
set(KLV_DATA_INSTALL_FULL_DIR ${CMAKE_INSTALL_FULL_DATADIR}/klevaria)
file(RELATIVE_PATH KLV_DATA_FROM_BIN ${klv_game_full_dir} ${KLV_DATA_INSTALL_FULL_DIR})

# The screenshots: NAME|English caption|Russian caption. The headless game
# shoots each screen as NAME.png (assets/desktop/screenshots.kls); the first is
# the default one.
set(KLV_SCREENSHOTS_LIST
  "play|Fishing from the pier against the clock|Рыбалка с мостков наперегонки со временем"
  "menu|The main menu on the lake shore|Главное меню на берегу озера"
  "help|Help: the fish and what each is worth|Помощь: рыбы и сколько они стоят"
  "hiscores|The local table of the ten best scores|Таблица десяти лучших результатов")

set(KLV_SCREENSHOT_NAMES)
set(KLV_METAINFO_SCREENSHOTS "")
set(klv_default " type=\"default\"")
foreach(entry ${KLV_SCREENSHOTS_LIST})
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 name)
  list(GET parts 1 caption)
  list(GET parts 2 caption_ru)
  list(APPEND KLV_SCREENSHOT_NAMES ${name})
  string(APPEND KLV_METAINFO_SCREENSHOTS
    "    <screenshot${klv_default}>\n"
    "      <caption>${caption}</caption>\n"
    "      <caption xml:lang=\"ru\">${caption_ru}</caption>\n"
    "      <image type=\"source\" width=\"800\" height=\"600\">${KLV_SCREENSHOT_URL}${name}.png</image>\n"
    "    </screenshot>\n")
  set(klv_default "")
endforeach()
string(STRIP "${KLV_METAINFO_SCREENSHOTS}" KLV_METAINFO_SCREENSHOTS)

set(KLV_DESKTOP_DIR ${CMAKE_BINARY_DIR}/desktop)
set(KLV_DESKTOP_FILE ${KLV_DESKTOP_DIR}/${KLV_APP_ID}.desktop)
set(KLV_METAINFO_FILE ${KLV_DESKTOP_DIR}/${KLV_APP_ID}.metainfo.xml)
set(KLV_MANPAGE_FILE ${KLV_DESKTOP_DIR}/klevaria.6)
configure_file(${CMAKE_SOURCE_DIR}/assets/desktop/klevaria.desktop.in ${KLV_DESKTOP_FILE} @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/assets/desktop/klevaria.metainfo.xml.in ${KLV_METAINFO_FILE}
               @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/assets/desktop/klevaria.6.in ${KLV_MANPAGE_FILE} @ONLY)

# The icon in every size the desktop asks for, besides the scalable one.
set(KLV_ICON_SIZES 48 64 128 256)
set(KLV_ICON_DIR ${CMAKE_BINARY_DIR}/icons)

# Where the build leaves the screenshots, for the project's pages to publish
# at KLV_SCREENSHOT_URL.
set(KLV_SCREENSHOT_DIR ${CMAKE_BINARY_DIR}/screenshots)
