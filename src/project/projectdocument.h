#pragma once

#include "drawing/figure.h"
#include "project/pathrecord.h"
#include "project/projectsettings.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class IDrawingSource;

// A message of the language file, by section and key.
struct TMessageKey
{
    std::string section;
    std::string key;

    bool empty() const { return key.empty(); }
    friend bool operator==(const TMessageKey &, const TMessageKey &) = default;
};

enum class TLoadStatus {
    Opened, // the drawing is in the project
    OpenFailed, // the reader could not open it; readerCode holds its code
    ReadFailed, // the reader stopped on a value it could not convert
    Empty, // no figure was accepted
};

// How a load ended, for the window to show and act on.
struct TLoadOutcome
{
    TLoadStatus status = TLoadStatus::Opened;
    int readerCode = 0;
    // Where a read stopped: the line (0 where the format has none) and the
    // text that could not be read, so the operator can find it.
    int errorLine = 0;
    std::string errorText;
    // What went wrong where it is no text of the file: a "Project_window" key.
    std::string errorWhat;
    // The error box to show: its text and its caption (empty: the default
    // error caption).
    TMessageKey message;
    TMessageKey caption;
    // The message text ends in a colon: the file's name follows it.
    bool messageNamesFile = false;
    // The loaded project exceeds the working area; it stays open.
    bool tooLarge = false;
    // Figures left out after joining: each lay within the joining tolerance
    // of its first point.
    int droppedFigures = 0;

    bool opened() const { return status == TLoadStatus::Opened; }
    // The window closes itself on every failure to load.
    bool closesWindow() const { return status != TLoadStatus::Opened; }
};

// The fields licz_parametry derives from a figure's points and the joining
// tolerance, worked out apart from the figure: loading works them out on the
// reading thread and gives them to the figure once collecting leaves its
// points as they were read.
struct TFigureParameters
{
    std::int32_t minX = 0;
    std::int32_t minY = 0;
    std::int32_t maxX = 0;
    std::int32_t maxY = 0;
    std::array<std::int32_t, 4> extremeVertices {};
    bool open = false;
};

// Width and height of the project as the job will cut it, in millimetres.
struct TProjectSizeMm
{
    double width = -1.0;
    double height = -1.0;
};

// The project document: the figures of one drawing, the project's corners,
// the planned cutting tree (held on the figures) and the state the job
// writers and job control read. It holds no widgets; the window TMDIChild
// shows it.
//
// Figures are addressed by their index in Figures, -1 meaning none.
class TProjectDocument
{
public:
    static constexpr std::int32_t MaxCoord = 2147483647;
    static constexpr std::int32_t MinCoord = -2147483647;

    TProjectDocument() = default;

    // Reads the drawing FileName with the reader, keeping the figures whose pen
    // passes the filter (255 every pen; any other value that pen and pen 6),
    // joining open polylines, dropping duplicates and making cross points.
    // Does not plan: the window runs the planner of the cutting mode after it.
    TLoadOutcome Load(IDrawingSource &reader, const std::string &fileName, std::uint8_t penFilter,
                      const TProjectSettings &settings);

    // Derived fields of a figure: box, size, centre, extreme vertices, open
    // and closed with the joining tolerance, and the planning flags.
    static void licz_parametry(tfigura &figure, double tolerance);
    // The same in two steps, for a figure with at least one point.
    static TFigureParameters Parameters(const tfigura &figure, double tolerance);
    static void SetParameters(tfigura &figure, const TFigureParameters &parameters);
    void licz_parametry(tfigura &figure) const { licz_parametry(figure, m_settings.tolerance); }

    void AddFigure(tfigura figure);
    int AddLacznik(tfigura figure, bool closed);
    void Ustaw_PPiPK();

    bool projektZaDuzy() const;
    double DajPoz1szegoWjazduWmat() const;

    // The size written to the companion's shared memory: each side scaled by
    // skala and converted to millimetres.
    TProjectSizeMm ScaledSizeMm() const;

    const TProjectSettings &settings() const { return m_settings; }
    void setSettings(const TProjectSettings &settings);

    static bool PenAccepted(std::uint8_t pen, std::uint8_t penFilter);

    // The fields other parts of the program read and write by name.
    std::vector<tfigura> Figures;
    TPlotPoint PP {MaxCoord, MaxCoord};
    TPlotPoint PK {MinCoord, MinCoord};
    // Maximum corner over the cross-point figures; stays at its start value
    // while the project has none (AnyCrossPoint false).
    TPlotPoint CrossMax {MinCoord, MinCoord};
    bool AnyCrossPoint = false;
    // Where the cross-point box ends: CrossMax, or PK for a project without
    // cross points (the box is then the project's).
    TPlotPoint CrossCorner() const { return AnyCrossPoint ? CrossMax : PK; }
    std::int32_t ProjectWidth = 0;
    std::int32_t ProjectHeight = 0;
    std::int32_t CrossWidth = -1;
    std::int32_t CrossHeight = -1;
    std::int32_t AxisFigure = -1;
    std::int32_t RootFigure = -1;
    std::int32_t SelectedFigure = -1;
    std::int32_t MaxDepth = 0;
    std::int32_t StartToLeft = 0;
    std::int32_t StartToRight = 0;
    std::int32_t StartToTop = 0;
    std::int32_t StartToBottom = 0;
    std::int32_t PassNumber = 0;
    std::int32_t ReaderKind = 1;
    double PathLength = 0.0;
    double PassAngle = 0.0;
    std::int8_t FeedSign = 1;
    std::int8_t SerialFeedSign = 1;
    bool Planned = false;
    bool CutFrame = false;
    bool FramePresent = false;
    bool AxisHorizontal = false;
    bool AxisVertical = false;
    bool SingleOpenFigure = false;
    bool PairedProfiles = false;
    bool Simulation = false;
    bool RecordPath = false;
    bool AbortWalk = false;
    std::string FileName;
    // The wire path recorded for the merged window of an independent cut.
    std::vector<TPathRecord> PathRecords;

private:
    // Step 8 and 9 of a load: corners, sizes, cross box, reference origins.
    void SetBoundsAfterLoad();
    void SetFeedSigns();

    TProjectSettings m_settings;
};
