/* Olvaso.h - reads a drilling program as the editor holds it: the holes in
 * the order they are drilled, the tool's moves, the bits and the figures of
 * the job. It follows the words the converter writes and skips the rest
 * without failing, so a program edited by hand reads as far as it can. */
#ifndef PLAN_OLVASO_H
#define PLAN_OLVASO_H

#include <QLineF>
#include <QString>
#include <QStringList>
#include <vector>

enum class TProgramUnit { Millimetre, Inch };

/* A place where the bit goes into the board: a plunge, or the end of a move
 * sideways below Z0, which makes a hole there as well. */
struct THole {
    double X, Y; /* where the bit went into the board, in the program's unit */
    int Line;    /* the move's line, counted from 0 like the editor's blocks */
    int Bit;     /* index into TDrillProgram::Bits */
};

/* The holes drilled between two bit changes. */
struct TBit {
    QString Name;          /* the pause's message, or "T<n>", or empty when the program names none */
    double Diameter = 0.0; /* in mm, as the converter's message names it; 0 when unknown */
    int Holes = 0;
};

/* A move in the XY plane, rapid (G0) or at the feed (G1). */
struct TMove {
    QLineF Path;
    bool Rapid;
    bool BelowZero; /* made with the bit in the board, below Z0 */
};

struct TDrillProgram {
    /* The first unit the program sets; millimetres when it sets none. Every
     * length below is in this unit, also where the program changes units. */
    TProgramUnit Unit = TProgramUnit::Millimetre;
    std::vector<THole> Holes;
    std::vector<TMove> Moves;
    std::vector<TBit> Bits;
    double RapidTravel = 0.0;  /* path length of the rapid moves, Z included */
    double FeedTravel = 0.0;   /* path length of the moves at the feed */
    double FeedMinutes = 0.0;  /* time of the moves at the feed */
    bool FeedMissing = false;  /* a move at the feed came before any F word */
    double Feed = 0.0;         /* the first feed set, per minute; 0 when none */
    double SafeHeight = 0.0;   /* the highest Z the program moves to */
    double Depth = 0.0;        /* how deep the deepest plunge goes below zero */
    int BitChanges = 0;        /* pauses for a bit change that a bit's holes follow */
    int Dwells = 0;            /* G4 pauses */
    double DwellSeconds = 0.0; /* their time */
    std::vector<int> BelowZeroLines; /* lines of the moves in X or Y made below Z0 */
    int UnreadLines = 0;       /* lines with a word the reader skipped */
    QStringList Unfollowed;    /* words that move the tool which the drawing ignores, each once */
};

/* Reads `text`, lines separated by "\n" (a "\r" before it is allowed). */
TDrillProgram ReadDrillProgram(const QString &text);
/* The same into `program`, which an earlier reading may have filled: its
 * lists keep their room, so that reading a long program again after an
 * edit touches no new memory. */
void ReadDrillProgram(const QString &text, TDrillProgram &program);

/* Millimetres in one unit of the program. */
double UnitInMillimetres(TProgramUnit unit);

/* The job's time in minutes: the moves at the feed at their own feed, the
 * rapid moves at `rapidPerMinute` millimetres per minute, and the dwells;
 * the bit changes, which take the operator's time, are left out. */
double EstimatedMinutes(const TDrillProgram &program, double rapidPerMinute);

/* The index of the hole plunged on `line`, or -1. */
int HoleOnLine(const TDrillProgram &program, int line);

#endif
