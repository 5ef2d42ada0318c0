#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "ChunkMaskPath.h"
#include "LineCounters.h"

// Classifies the lines of one C or C++ file as the compiler lexes it, fed as
// blocks of any size: block and line comments, string, character and raw string
// literals, splices, digit separators and the groups the preprocessor always
// skips. Each physical line (ended by its LF) is one line of exactly one kind:
// disabled, empty, comment only, code with a comment or code only.
//
// The lexer keeps its state across blocks, so a file is fed from its first byte
// to its last. Runs of bytes that cannot change the state are skipped 64 at a
// time; nothing is allocated per line.
class SyntaxLineStream
{
public:
    explicit SyntaxLineStream(ChunkMaskPath path = ChunkMaskPath::Fastest);

    // Adds the next bytes of the file.
    void Feed(const char* pData, std::size_t nSize);
    // Ends the file: whatever is still open ends here, and a last line without LF counts.
    void Finish();

    [[nodiscard]] const LineCounters& Counters() const { return m_counters; }

private:
    // Where the lexer is.
    enum class State : std::uint8_t
    {
        InCode,
        AfterSlash,       // a '/' that a '/' or '*' would make a comment
        AfterPercent,     // a '%' first on its line that a ':' would make a directive
        AfterNumberQuote, // a '\'' in a number: a separator if a letter, digit or '_' follows
        InLineComment,
        InBlockComment,
        AfterBlockStar, // in a block comment, just after a '*'
        InString,
        InStringEscape,
        InChar,
        InCharEscape,
        InRawDelimiter, // between R" and (
        InRawString,
    };

    // How much of an identifier or number ends just before the current byte.
    enum class Token : std::uint8_t
    {
        None,
        Dot,    // a '.' that a digit would make a number
        Number, // a preprocessing number: its '\'' may be a digit separator
        Word,   // any other identifier
        WordU,  // "u"
        WordU8, // "u8"
        WordUL, // "U" or "L"
        RawPrefix, // exactly R, u8R, uR, UR or LR: a '"' opens a raw string
    };

    enum class Directive : std::uint8_t
    {
        None,
        BeforeName,
        InName,
        InBody, // an #if's or #elif's expression, while it may still be short enough to read
        Rest,   // whatever follows no longer matters, only where the directive ends
    };

    enum class DirectiveName : std::uint8_t
    {
        If,
        Ifdef,
        Ifndef,
        Elif,
        ElifOnName, // #elifdef, #elifndef
        Else,
        Endif,
        Other,
    };

    // One physical line being read, or held until the lexer knows more.
    struct LineRecord
    {
        std::int64_t nBytes = 0;
        std::int64_t nComment = 0; // bytes inside comments, its line end included when it is
        std::int64_t nPending = 0; // bytes after a '/' not yet known to open a comment
        bool bCode = false;        // a byte of code, or a byte of a raw string
        bool bComment = false;     // a byte of a comment that is no blank
        bool bPendingSolid = false;
        bool bDisabled = false;
    };

    static DirectiveName DirectiveNameOf(std::string_view csName);
    static Token StartWord(unsigned char c);
    static Token NextToken(Token token, unsigned char c);
    static Token TokenAfterRun(const char* pFrom, const char* pTo, Token token);
    template <typename Masks> void FeedChunks(const char* pData, std::size_t nSize);
    template <typename Masks> void FeedChunk(const char* pChunk, std::size_t nLen, const typename Masks::Set& m);
    void ReadDirectiveRun(const char* pFrom, const char* pTo);
    std::size_t TakeSplice();
    void EndCodeRun(const char* pEnd, bool bNeedToken);
    std::size_t TakeInCode(unsigned char c, char next);
    std::size_t TakeInComment(unsigned char c, char next);
    std::size_t TakeInLiteral(unsigned char c, char next);
    void Physical(unsigned char c);
    void Unspliced(unsigned char c);
    void Logical(unsigned char c);
    void LogicalInCode(unsigned char c);
    void RawDelimiterByte(unsigned char c);
    void RawStringByte(unsigned char c);
    void TakeCode(unsigned char c);
    void TakeComment(unsigned char c);
    void TakePending(unsigned char c);
    void TakeByState(unsigned char c);
    void ResolveSlash(bool bComment);
    void EndLogicalLine();
    void StartDirective();
    void DirectiveByte(unsigned char c, bool bBlank);
    void ResolveDirectiveName();
    void EndDirective();
    void EndPhysicalLine();
    void FlushHeld();
    void Classify(const LineRecord& line);
    void ReplayAsString();

    LineCounters m_counters;
    ChunkMaskPath m_path;
    State m_state = State::InCode;
    Token m_token = Token::None;
    bool m_bLineStart = true; // no token yet on this logical line: a '#' makes a directive
    // Code skipped since the last byte the lexer took, and the token before it: the token
    // it ends in is worked out only when a quote or backslash asks.
    const char* m_pCodeRun = nullptr;
    Token m_codeRunToken = Token::None;

    // A '\' that a line end after blanks would make a splice.
    bool m_bAfterBackslash = false;
    bool m_bSpliceCr = false;
    std::uint32_t m_nSpliceBlanks = 0;

    // The start of the file: the bytes of a byte-order mark seen so far.
    std::uint32_t m_nBomBytes = 0;
    bool m_bFileStart = true;

    // A raw string's delimiter, and how much of ")delim\"" has been seen.
    std::array<unsigned char, 16> m_delimiter {};
    std::uint32_t m_nDelimiter = 0;
    std::uint32_t m_nRawMatch = 0;

    // The directive being read: its name and its expression without blanks and comments.
    Directive m_directive = Directive::None;
    std::array<char, 9> m_name {};
    std::uint32_t m_nName = 0;
    DirectiveName m_nameKind = DirectiveName::Other; // once the name is read
    std::array<char, 6> m_expression {};
    std::uint32_t m_nExpression = 0;
    bool m_bDirectiveInGroup = false; // began inside a disabled group, at its own depth
    bool m_bNamePending = false;      // its lines are disabled or not by its name, still unread

    // Open conditionals outside disabled groups: whether a group of each chain was always taken.
    std::vector<bool> m_chains;
    bool m_bInDisabledGroup = false;
    std::int64_t m_nSkippedDepth = 0; // conditionals opened inside the disabled group

    LineRecord m_line;
    std::vector<LineRecord> m_held; // lines that wait for a '/' or a directive's name
};
