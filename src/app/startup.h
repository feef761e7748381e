#pragma once
// Plain rules of the program's start and of the main window's texts.

#include <cstdint>
#include <string>
#include <vector>

namespace kvr::app {

// Title of the application, the first part of the main window's caption.
inline constexpr const char* ApplicationTitle = "Cordex4";
// The caption the main window carries until its first caption update.
inline constexpr const char* InitialCaption = "CorDex4 - ";
// The first word that opens the service level 2.
inline constexpr const char* ServiceWord = "vux";

// What the first word of the command line asks for.
struct StartCommand {
    std::string ProjectFile; // a project to open at start; empty for none
    int ServiceLevel = -1;   // 2 for the service word; -1 leaves the level as the settings give it
};

// Only the first word counts: a name whose extension is exactly ".kvp" is opened; otherwise the
// exact service word sets level 2.
StartCommand ParseStartCommand(const std::vector<std::string>& Words);
// The extension of a file name: the last dot after the last path separator and what follows it.
std::string FileExtension(const std::string& Name);

// Version numbers as the project header holds them.
struct ProgramVersionParts {
    unsigned Major = 0, Minor = 0, Release = 0, Build = 0;
};

inline constexpr std::uint64_t FallbackProgramVersion = (5ull << 48) | (1ull << 32) | (9ull << 16) | 409ull;

// The version written into projects and images. Files carry four 16-bit parts; a reader takes a
// version with major, minor or release of 16 or more as a very old file, and versions below
// 5.1.9 use an older layout. Only a version inside those bounds keeps saved files readable;
// anything else gives 5.1.9.409.
std::uint64_t EffectiveProgramVersion(const ProgramVersionParts& Parts);
ProgramVersionParts SplitVersion(std::uint64_t Version);

// Caption of the main window: title, " - ", then the project's file name (empty when unsaved).
std::string MainCaption(const std::string& ProjectFileName);
// Status panel 2.
std::string FileStateText(bool Changed);
// "File Info": the version that saved the open project.
std::string FileInfoText(const ProgramVersionParts& HeaderVersion);
// Reads the version from project header bytes 4-11 (four big-endian 16-bit numbers).
ProgramVersionParts HeaderVersion(const std::uint8_t* Header100);
// The about box's version line: "Version 5.1.9 Build 409".
std::string AboutVersionText(const ProgramVersionParts& Version);

} // namespace kvr::app
