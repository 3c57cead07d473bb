# The plug-in (VST3, LV2, Standalone), its GUI-free core library and its embedded resources.

set(THUDMOR_LV2_URI "http://vellmark.audio/plugins/thudmor")

juce_add_plugin(Thudmor
    VERSION 1.9.7
    COMPANY_NAME "Vellmark"
    COMPANY_WEBSITE "http://vellmark.audio"
    PRODUCT_NAME "Thud Mor"
    BUNDLE_ID "audio.vellmark.thudmor"
    PLUGIN_MANUFACTURER_CODE Vlmk
    PLUGIN_CODE Thdm
    FORMATS VST3 LV2 Standalone
    IS_SYNTH TRUE
    NEEDS_MIDI_INPUT TRUE
    NEEDS_MIDI_OUTPUT FALSE
    IS_MIDI_EFFECT FALSE
    EDITOR_WANTS_KEYBOARD_FOCUS FALSE
    VST3_CATEGORIES Instrument Synth
    LV2URI "${THUDMOR_LV2_URI}"
    COPY_PLUGIN_AFTER_BUILD FALSE)

# Fonts come from Debian's font packages and are embedded at build time.
set(THUDMOR_FONT_ROBOTO "/usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Medium.ttf")
set(THUDMOR_FONT_OPENSANS "/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf")
foreach(font IN ITEMS "${THUDMOR_FONT_ROBOTO}" "${THUDMOR_FONT_OPENSANS}")
    if(NOT EXISTS "${font}")
        message(FATAL_ERROR "Missing font ${font}: install fonts-roboto-unhinted and fonts-open-sans")
    endif()
endforeach()

juce_add_binary_data(ThudmorBinaryData
    HEADER_NAME ThudmorBinaryData.h
    NAMESPACE ThudmorBinary
    SOURCES
        "${CMAKE_CURRENT_SOURCE_DIR}/resources/gui.xml"
        "${THUDMOR_FONT_ROBOTO}"
        "${THUDMOR_FONT_OPENSANS}")
set_target_properties(ThudmorBinaryData PROPERTIES POSITION_INDEPENDENT_CODE ON)

set(THUDMOR_JUCE_DEFINITIONS
    JUCE_WEB_BROWSER=0
    JUCE_USE_CURL=0
    JUCE_DISPLAY_SPLASH_SCREEN=0
    JUCE_REPORT_APP_USAGE=0
    JUCE_VST3_CAN_REPLACE_VST2=0
    JUCE_VST3_EMULATE_MIDI_CC_WITH_PARAMETERS=0
    JUCE_USE_FLAC=1
    JUCE_USE_OGGVORBIS=1
    JUCE_STRICT_REFCOUNTEDPOINTER=1
    # Debian's JUCE drops the LV2URI argument unless the macro is also defined here.
    JucePlugin_LV2URI="${THUDMOR_LV2_URI}")

target_compile_definitions(Thudmor PUBLIC ${THUDMOR_JUCE_DEFINITIONS})

target_link_libraries(Thudmor
    PRIVATE
        juce::juce_audio_utils
        juce::juce_audio_processors
        juce::juce_audio_formats
        juce::juce_gui_extra
    PUBLIC
        PkgConfig::THUDMOR_CODECS
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags)

if(THUDMOR_ENABLE_LTO)
    target_link_libraries(Thudmor PUBLIC juce::juce_recommended_lto_flags)
endif()

# GCC 12 reports false dangling-pointer warnings inside JUCE's ListenerList.
set(THUDMOR_WARNING_OPTIONS
    $<$<CXX_COMPILER_ID:GNU>:-Wno-dangling-pointer>)

# --- GUI-free core: support, parameters, engine, presets and the kick engine -------------
file(GLOB_RECURSE THUDMOR_CORE_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/source/support/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/source/params/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/source/engine/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/source/presets/*.cpp)
file(GLOB THUDMOR_CORE_ENGINE_SHELL_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/source/core/*.cpp)
list(APPEND THUDMOR_CORE_SOURCES ${THUDMOR_CORE_ENGINE_SHELL_SOURCES})

add_library(thudmor_core STATIC ${THUDMOR_CORE_SOURCES})
set_target_properties(thudmor_core PROPERTIES POSITION_INDEPENDENT_CODE ON)
# The core is compiled with exactly the JUCE configuration of the plug-in's shared code,
# which compiles the JUCE modules once for everything that links it. The two libraries
# depend on each other (processor -> engine -> JUCE); CMake repeats them on link lines.
target_compile_definitions(thudmor_core PRIVATE
    $<TARGET_PROPERTY:Thudmor,COMPILE_DEFINITIONS>)
target_include_directories(thudmor_core
    PRIVATE $<TARGET_PROPERTY:Thudmor,INCLUDE_DIRECTORIES>
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/source)
# Filters and coefficients whose rounding the tests pin down must not be contracted into FMAs.
target_compile_options(thudmor_core PRIVATE ${THUDMOR_WARNING_OPTIONS} -ffp-contract=off)
target_link_libraries(thudmor_core
    PUBLIC
        Thudmor
        ThudmorBinaryData
        juce::juce_recommended_config_flags
        juce::juce_recommended_warning_flags)

# What a test, tool or benchmark links: the core, the plug-in shared code and the JUCE
# headers and definitions they were compiled with.
add_library(thudmor_sdk INTERFACE)
target_compile_definitions(thudmor_sdk INTERFACE $<TARGET_PROPERTY:Thudmor,COMPILE_DEFINITIONS>)
target_include_directories(thudmor_sdk INTERFACE $<TARGET_PROPERTY:Thudmor,INCLUDE_DIRECTORIES>)
target_compile_options(thudmor_sdk INTERFACE ${THUDMOR_WARNING_OPTIONS})
target_link_libraries(thudmor_sdk INTERFACE thudmor_core Thudmor)

# --- plug-in shared code: the processor and the editor -----------------------------------
file(GLOB_RECURSE THUDMOR_PLUGIN_SOURCES CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/source/core/processor/*.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/source/editor/*.cpp)
target_sources(Thudmor PRIVATE ${THUDMOR_PLUGIN_SOURCES})
target_include_directories(Thudmor PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/source)
target_compile_options(Thudmor PRIVATE ${THUDMOR_WARNING_OPTIONS})
target_link_libraries(Thudmor PRIVATE thudmor_core ThudmorBinaryData)
