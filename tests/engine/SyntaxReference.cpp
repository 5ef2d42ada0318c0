#include "SyntaxReference.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

enum Mark : std::uint8_t
{
    CODE,
    COMMENT,
    RAW, // inside a raw string literal: code even where blank
    BOM, // the byte-order mark: blank
};

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v' || c == '\n'; }
bool digit(char c) { return c >= '0' && c <= '9'; }
bool letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool identChar(char c) { return letter(c) || digit(c) || c == '_' || c == '$' || static_cast<unsigned char>(c) >= 0x80; }

struct Directive
{
    std::size_t nHash;     // where its '#' or '%:' stands
    std::size_t nLastByte; // its last byte: the LF that ends it, or the file's last
};

class Reference
{
public:
    explicit Reference(std::string_view s)
        : m_s(s)
        , m_n(s.size())
        , m_marks(s.size(), CODE)
    {
    }

    LineCounters Count()
    {
        Lex();
        MarkDisabledLines();
        return JudgeLines();
    }

private:
    // Past any splices that start at i: a backslash, blanks, then CR LF or LF.
    std::size_t skip(std::size_t i) const
    {
        while (i < m_n && m_s[i] == '\\') {
            const std::size_t j = spliceEnd(i);
            if (j == i)
                break;
            i = j;
        }
        return i;
    }

    // Just after the splice at i, or i when none starts there.
    std::size_t spliceEnd(std::size_t i) const
    {
        if (i >= m_n || m_s[i] != '\\')
            return i;
        std::size_t j = i + 1;
        while (j < m_n && (m_s[j] == ' ' || m_s[j] == '\t'))
            ++j;
        if (j + 1 < m_n && m_s[j] == '\r' && m_s[j + 1] == '\n')
            ++j;
        return j < m_n && m_s[j] == '\n' ? j + 1 : i;
    }

    char at(std::size_t i) const { return i < m_n ? m_s[i] : '\0'; }

    void mark(std::size_t nFrom, std::size_t nTo, Mark m)
    {
        std::fill(m_marks.begin() + static_cast<std::ptrdiff_t>(nFrom),
            m_marks.begin() + static_cast<std::ptrdiff_t>(std::min(nTo, m_n)), m);
    }

    bool isNumber(const std::string& csToken) const
    {
        return !csToken.empty() && (digit(csToken[0]) || (csToken[0] == '.' && csToken.size() > 1));
    }

    void Lex()
    {
        std::size_t i = 0;
        if (m_s.substr(0, 3) == "\xEF\xBB\xBF") {
            mark(0, 3, BOM);
            i = 3;
        }
        bool bLineStart = true;
        std::string csToken;
        for (i = skip(i); i < m_n; i = skip(i)) {
            const char c = m_s[i];
            if (c == '/' && at(skip(i + 1)) == '/') {
                std::size_t k = skip(i + 1) + 1;
                while ((k = skip(k)) < m_n && m_s[k] != '\n')
                    ++k;
                mark(i, k + 1, COMMENT);
                if (k < m_n)
                    m_logicalEnds.push_back(k);
                bLineStart = true;
                csToken.clear();
                i = k + 1;
                continue;
            }
            if (c == '/' && at(skip(i + 1)) == '*') {
                std::size_t k = skip(i + 1) + 1;
                std::size_t nEnd = m_n;
                while ((k = skip(k)) < m_n) {
                    if (m_s[k] == '*' && at(skip(k + 1)) == '/') {
                        nEnd = skip(k + 1) + 1;
                        break;
                    }
                    ++k;
                }
                mark(i, nEnd, COMMENT);
                csToken.clear();
                i = nEnd;
                continue;
            }
            if (c == '\n') {
                m_logicalEnds.push_back(i);
                bLineStart = true;
                csToken.clear();
                ++i;
                continue;
            }
            if (bLineStart && (c == '#' || (c == '%' && at(skip(i + 1)) == ':'))) {
                m_directiveStarts.push_back(i);
                bLineStart = false;
                csToken.clear();
                i = c == '#' ? i + 1 : skip(i + 1) + 1;
                continue;
            }
            if (c == '\'' && isNumber(csToken)) {
                const char next = at(skip(i + 1));
                if (letter(next) || digit(next) || next == '_') {
                    csToken += c;
                    ++i;
                    continue;
                }
            }
            if (c == '"' || c == '\'') {
                bLineStart = false;
                const bool bRawPrefix
                    = csToken == "R" || csToken == "u8R" || csToken == "uR" || csToken == "UR" || csToken == "LR";
                csToken.clear();
                if (c == '"' && bRawPrefix && LexRaw(i))
                    continue;
                i = LiteralEnd(i);
                continue;
            }
            if (!blank(c))
                bLineStart = false;
            if (isNumber(csToken) && (letter(c) || digit(c) || c == '_' || c == '.'))
                csToken += c;
            else if (!csToken.empty() && !isNumber(csToken) && csToken != "." && identChar(c))
                csToken += c;
            else if (c == '.')
                csToken = ".";
            else if (identChar(c))
                csToken = csToken == "." && digit(c) ? std::string(".") + c : std::string(1, c);
            else
                csToken.clear();
            ++i;
        }
    }

    // A raw string from its '"' at i, if its delimiter is well formed; i moves past it.
    bool LexRaw(std::size_t& i)
    {
        std::size_t d = i + 1;
        while (d < m_n && d - (i + 1) <= 16 && m_s[d] != '(' && !blank(m_s[d]) && m_s[d] != ')' && m_s[d] != '\\')
            ++d;
        if (d >= m_n || m_s[d] != '(' || d - (i + 1) > 16)
            return false;
        const std::string csCloser = ")" + std::string(m_s.substr(i + 1, d - i - 1)) + "\"";
        const std::size_t nClose = m_s.find(csCloser, d + 1);
        const std::size_t nEnd = nClose == std::string_view::npos ? m_n : nClose + csCloser.size();
        mark(i, nEnd, RAW);
        i = nEnd;
        return true;
    }

    // Just after the plain literal opened at i, or at the LF that cuts it short.
    std::size_t LiteralEnd(std::size_t i) const
    {
        const char quote = m_s[i];
        std::size_t k = i + 1;
        while ((k = skip(k)) < m_n) {
            if (m_s[k] == '\n')
                return k;
            if (m_s[k] == quote)
                return k + 1;
            if (m_s[k] == '\\') {
                const std::size_t nNext = skip(k + 1);
                k = nNext < m_n && m_s[nNext] != '\n' ? nNext + 1 : nNext;
                continue;
            }
            ++k;
        }
        return m_n;
    }

    std::size_t lineOf(std::size_t nPos) const
    {
        return static_cast<std::size_t>(std::count(m_s.begin(), m_s.begin() + static_cast<std::ptrdiff_t>(nPos), '\n'));
    }

    // The directive's text with splices dropped and each comment as one blank.
    std::string directiveText(std::size_t nFrom, std::size_t nTo) const
    {
        std::string csText;
        for (std::size_t k = nFrom; k <= nTo && k < m_n;) {
            if (m_marks[k] == COMMENT) {
                csText += ' ';
                while (k <= nTo && k < m_n && m_marks[k] == COMMENT)
                    ++k;
                continue;
            }
            if (m_marks[k] != RAW && spliceEnd(k) != k) {
                k = spliceEnd(k);
                continue;
            }
            csText += m_s[k++];
        }
        return csText;
    }

    void MarkDisabledLines()
    {
        std::size_t nLines = lineOf(m_n) + 1;
        m_disabled.assign(nLines, false);
        struct Frame
        {
            bool bParentLive;
            bool bTaken;
            bool bGroupLive;
            std::size_t nGroupFirstLine;
        };
        std::vector<Frame> frames;
        bool bLive = true;
        const auto disable = [&](std::size_t nFirst, std::size_t nLast) {
            for (std::size_t k = nFirst; k <= nLast && k < nLines; ++k)
                m_disabled[k] = true;
        };
        for (const std::size_t nHash : m_directiveStarts) {
            const auto itEnd = std::lower_bound(m_logicalEnds.begin(), m_logicalEnds.end(), nHash);
            const std::size_t nLast = itEnd == m_logicalEnds.end() ? m_n - 1 : *itEnd;
            std::string csText = directiveText(nHash, nLast);
            std::size_t k = csText[0] == '#' ? 1 : 2;
            while (k < csText.size() && blank(csText[k]))
                ++k;
            std::string csName;
            while (k < csText.size() && identChar(csText[k]))
                csName += csText[k++];
            std::string csExpression;
            for (; k < csText.size(); ++k) {
                if (!blank(csText[k]))
                    csExpression += csText[k];
            }
            const bool bFalse = csExpression == "0" || csExpression == "(0)" || csExpression == "false";
            const bool bTrue = csExpression == "1" || csExpression == "(1)" || csExpression == "true";
            const std::size_t nFirstLine = lineOf(nHash);
            const std::size_t nLastLine = lineOf(nLast);
            if (csName == "if" || csName == "ifdef" || csName == "ifndef") {
                Frame frame { bLive, false, bLive, nLastLine + 1 };
                if (bLive && csName == "if" && bFalse)
                    frame.bGroupLive = false;
                if (bLive && csName == "if" && bTrue)
                    frame.bTaken = true;
                frames.push_back(frame);
                bLive = frame.bGroupLive;
            } else if (csName == "elif" || csName == "elifdef" || csName == "elifndef" || csName == "else") {
                if (frames.empty() || !frames.back().bParentLive)
                    continue;
                Frame& frame = frames.back();
                if (!frame.bGroupLive && nFirstLine > 0)
                    disable(frame.nGroupFirstLine, nFirstLine - 1);
                if (frame.bTaken) {
                    frame.bGroupLive = false;
                } else if (csName == "elif" && bFalse) {
                    frame.bGroupLive = false;
                } else {
                    frame.bGroupLive = true;
                    frame.bTaken = csName == "elif" && bTrue;
                }
                frame.nGroupFirstLine = nLastLine + 1;
                bLive = frame.bGroupLive;
            } else if (csName == "endif") {
                if (frames.empty())
                    continue;
                const Frame frame = frames.back();
                frames.pop_back();
                if (frame.bParentLive && !frame.bGroupLive && nFirstLine > 0)
                    disable(frame.nGroupFirstLine, nFirstLine - 1);
                bLive = frame.bParentLive;
            }
        }
        for (const Frame& frame : frames) {
            if (frame.bParentLive && !frame.bGroupLive)
                disable(frame.nGroupFirstLine, nLines);
        }
    }

    LineCounters JudgeLines() const
    {
        LineCounters c;
        std::size_t nLine = 0;
        for (std::size_t nStart = 0; nStart < m_n; ++nLine) {
            const std::size_t nLf = m_s.find('\n', nStart);
            const std::size_t nEnd = nLf == std::string_view::npos ? m_n : nLf + 1;
            bool bCode = false;
            bool bComment = false;
            std::int64_t nCommentBytes = 0;
            for (std::size_t k = nStart; k < nEnd; ++k) {
                if (m_marks[k] == COMMENT) {
                    ++nCommentBytes;
                    bComment = bComment || !blank(m_s[k]);
                } else if (m_marks[k] == RAW || (m_marks[k] == CODE && !blank(m_s[k]))) {
                    bCode = true;
                }
            }
            const auto nBytes = static_cast<std::int64_t>(nEnd - nStart);
            ++c.nTotalLines;
            c.nTotalChars += nBytes;
            if (m_disabled[nLine]) {
                ++c.nDisabledLines;
            } else if (bCode) {
                ++c.nCodeLines;
                c.nCodeChars += nBytes - nCommentBytes;
                ++(bComment ? c.nCommentLines : c.nCodeOnlyLines);
            } else {
                ++(bComment ? c.nCommentLines : c.nEmptyLines);
            }
            nStart = nEnd;
        }
        return c;
    }

    std::string_view m_s;
    std::size_t m_n;
    std::vector<Mark> m_marks;
    std::vector<std::size_t> m_logicalEnds; // the LFs that end logical lines, in order
    std::vector<std::size_t> m_directiveStarts;
    std::vector<bool> m_disabled; // per physical line
};

} // namespace

LineCounters ReferenceSyntaxCount(std::string_view csText) { return Reference(csText).Count(); }
