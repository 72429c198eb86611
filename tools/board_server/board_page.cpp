#include "tools/board_server/board_page.h"

#include <array>
#include <cstddef>
#include <cstring>
#include <initializer_list>

#include "text/code_page.h"

namespace board_server {

namespace {

// The page is written in UTF-8 here and turned into GBK once; "{id}" and the other braces
// are filled per topic.
struct PageParts {
  text::Text head = text::Utf8ToGbk(
      "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
      "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
      "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />\n"
      "<title>软件发布 - Lumeth论坛</title>\n"
      "<meta name=\"keywords\" content=\"软件发布\" />\n"
      "<link rel=\"stylesheet\" type=\"text/css\" href=\"data/cache/style_1_common.css?x1y\" />\n"
      "</head>\n<body id=\"nv_forum\" class=\"pg_forumdisplay\">\n"
      "<div id=\"hd\"><div class=\"wp\"><div class=\"hdc cl\"><h2><a href=\"./\" "
      "title=\"Lumeth论坛\"><img src=\"static/image/common/logo.png\" alt=\"Lumeth论坛\" "
      "border=\"0\" /></a></h2>\n<div id=\"nv\"><ul>\n");
  text::Text navItem = text::Utf8ToGbk(
      "<li><a href=\"forum.php?mod=forumdisplay&amp;fid={n}\" hidefocus=\"true\" "
      "title=\"版块{n}\">版块{n}<span>版块说明 {n}</span></a></li>\n");
  text::Text listStart = text::Utf8ToGbk(
      "</ul></div>\n<div id=\"threadlist\" class=\"tl bm bmw\"><form method=\"post\" "
      "autocomplete=\"off\" name=\"moderate\" id=\"moderate\" "
      "action=\"forum.php?mod=topicadmin&amp;action=moderate&amp;fid=121&amp;infloat=yes\">\n"
      "<table summary=\"forum_121\" cellspacing=\"0\" cellpadding=\"0\" "
      "id=\"threadlisttableid\">\n");
  text::Text sticky = text::Utf8ToGbk(
      "<tbody id=\"stickthread_{id}\">\n<tr>\n"
      "<td class=\"icn\"><a href=\"thread-{id}-1-1.html\" title=\"全局置顶主题 - 新窗口打开\" "
      "target=\"_blank\"><img src=\"static/image/common/pin_3.gif\" alt=\"全局置顶\" /></a></td>\n"
      "<th class=\"common\">\n"
      "<a href=\"javascript:;\" id=\"content_{id}\" class=\"showcontent y\" title=\"更多操作\" "
      "onclick=\"CONTENT_TID='{id}';CONTENT_ID='stickthread_{id}';showMenu({'ctrlid':this.id,"
      "'menuid':'content_menu'})\"></a>\n"
      "<em>[<a href=\"forum.php?mod=forumdisplay&fid=121&amp;filter=typeid&amp;typeid=1\">公告"
      "</a>]</em> <a href=\"./thread-{id}-1-1.html\" onclick=\"atarget(this)\" class=\"s xst\">"
      "版规与公告 {id}</a>\n</th>\n"
      "<td class=\"by\"><cite><a href=\"home.php?mod=space&amp;uid=1\" c=\"1\">管理员</a></cite>\n"
      "<em><span><span title=\"2016-1-1\">2016-1-1</span></span></em></td>\n"
      "<td class=\"num\"><a href=\"thread-{id}-1-1.html\" class=\"xi2\">9</a><em>999</em></td>\n"
      "</tr>\n</tbody>\n");
  text::Text separator = text::Utf8ToGbk(
      "<tbody id=\"separatorline\"><tr class=\"ts\"><td>&nbsp;</td><th>&nbsp;</th>"
      "<td>&nbsp;</td></tr></tbody>\n");
  text::Text topic = text::Utf8ToGbk(
      "<tbody id=\"normalthread_{id}\">\n<tr>\n<td class=\"icn\">\n"
      "<a href=\"thread-{id}-1-1.html\" title=\"有新回复 - 新窗口打开\" target=\"_blank\">\n"
      "<img src=\"static/image/common/folder_new.gif\" />\n</a>\n</td>\n<th class=\"new\">\n"
      "<a href=\"javascript:;\" id=\"content_{id}\" class=\"showcontent y\" title=\"更多操作\" "
      "onclick=\"CONTENT_TID='{id}';CONTENT_ID='normalthread_{id}';showMenu({'ctrlid':this.id,"
      "'menuid':'content_menu'})\"></a>\n"
      "<a class=\"tdpre y\" href=\"javascript:void(0);\" "
      "onclick=\"previewThread('{id}', 'normalthread_{id}');\">预览</a>\n"
      "<em>[<a href=\"forum.php?mod=forumdisplay&fid=121&amp;filter=typeid&amp;typeid=5\">软件"
      "</a>]</em> <a href=\".{address}\" onclick=\"atarget(this)\" class=\"s xst\">"
      "{title}</a>\n"
      "<a href=\"forum.php?mod=redirect&amp;tid={id}&amp;goto=lastpost#lastpost\" "
      "class=\"xi1\">New</a>\n</th>\n<td class=\"by\">\n<cite>\n"
      "<a href=\"home.php?mod=space&amp;uid=1000\" c=\"1\">用户0</a></cite>\n"
      "<em><span><span title=\"2016-5-4\">{time}</span></span></em>\n</td>\n"
      "<td class=\"num\"><a href=\"thread-{id}-1-1.html\" class=\"xi2\">297</a><em>8588</em>"
      "</td>\n<td class=\"by\">\n"
      "<cite><a href=\"home.php?mod=space&username=u1000\" c=\"1\">用户0</a></cite>\n"
      "<em><a href=\"forum.php?mod=redirect&tid={id}&goto=lastpost#lastpost\">"
      "<span title=\"2016-5-3 10:00\">昨天&nbsp;10:00</span></a></em>\n</td>\n</tr>\n</tbody>\n");
  text::Text foot = text::Utf8ToGbk(
      "</table>\n</form>\n</div>\n"
      "<div class=\"bm bw0 pgs cl\"><span id=\"fd_page_bottom\"><div class=\"pg\"><strong>1"
      "</strong><a href=\"forum-121-2.html\">2</a><a href=\"forum-121-2.html\" class=\"nxt\">"
      "下一页</a></div></span></div>\n"
      "<div id=\"ft\" class=\"wp cl\"><div id=\"flk\" class=\"y\"><p>"
      "<a href=\"forum.php?mobile=yes\">手机版</a><span class=\"pipe\">|</span><strong>"
      "<a href=\"./\" target=\"_blank\">Lumeth论坛</a></strong></p></div></div>\n"
      "</body>\n</html>\n");
  text::Text maintenance = text::Utf8ToGbk(
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\" />"
      "<title>提示信息 - Lumeth论坛</title></head>\n<body><div id=\"messagetext\">"
      "<p>论坛维护中，请稍后再来。</p></div></body></html>\n");
  text::Text serverError = text::Utf8ToGbk(
      "<html><head><title>500 服务器错误</title></head>\n<body><h1>服务器错误</h1>"
      "<p>数据库连接失败。</p></body></html>\n");
  std::array<text::Text, 6> titles = {
      text::Utf8ToGbk("Go加速下载器 v{n} 远程"),
      text::Utf8ToGbk("Max驱动加速 v{n} ①"),
      text::Utf8ToGbk("Ez便携播放器 v{n} 安全卫士 &amp; 汉化"),
      text::Utf8ToGbk("Net备份安全卫士 v{n} 绿色版"),
      text::Utf8ToGbk("Ez翻译录屏 v{n} 记事本"),
      text::Utf8ToGbk("Max乗下载器 v{n} “正式版”"),
  };
  text::Text daysAgo = text::Utf8ToGbk("天前");
};

const PageParts& Parts() {
  static const PageParts parts;
  return parts;
}

struct Field {
  const char* key;  // with its braces, e.g. "{id}"
  const text::Text& value;
};

// The pattern with every key replaced by its value, in one pass, so that a value holding a
// key is never filled again.
void AppendFilled(text::Text& out, const text::Text& pattern, std::initializer_list<Field> fields) {
  std::size_t from = 0;
  for (std::size_t at = pattern.find('{'); at != text::Text::npos; at = pattern.find('{', at + 1)) {
    for (const Field& field : fields) {
      if (pattern.compare(at, std::strlen(field.key), field.key) == 0) {
        out.append(pattern, from, at - from).append(field.value);
        from = at + std::strlen(field.key);
        at = from - 1;
        break;
      }
    }
  }
  out.append(pattern, from);
}

text::Text TitleWithNumber(const text::Text& pattern, const text::Text& number) {
  text::Text out;
  AppendFilled(out, pattern, {{"{n}", number}});
  return out;
}

text::Text ShownTime(const text::Text& postedTime) {
  std::size_t digits = 0;
  while (digits < postedTime.size() && postedTime[digits] >= '0' && postedTime[digits] <= '9') {
    ++digits;
  }
  if (digits == 0 || digits == postedTime.size()) {
    return postedTime;
  }
  return postedTime.substr(0, digits) + "&nbsp;" + postedTime.substr(digits);
}

}  // namespace

BoardTopic MakeTopic(int serial) {
  const PageParts& parts = Parts();
  const text::Text number = text::IntToText(serial);
  const text::Text id = text::IntToText(500000 + serial);
  return {
      id,
      TitleWithNumber(parts.titles[static_cast<std::size_t>(serial) % parts.titles.size()], number),
      text::IntToText(serial % 7 + 1) + parts.daysAgo, "/thread-" + id + "-1-1.html"};
}

text::Text BoardPageHtml(const std::vector<BoardTopic>& topics) {
  const PageParts& parts = Parts();
  text::Text page = parts.head;
  for (int n = 0; n < 20; ++n) {
    AppendFilled(page, parts.navItem, {{"{n}", text::IntToText(n)}});
  }
  page += parts.listStart;
  for (int id = 900; id < 903; ++id) {
    AppendFilled(page, parts.sticky, {{"{id}", text::IntToText(id)}});
  }
  page += parts.separator;
  for (const BoardTopic& topic : topics) {
    AppendFilled(page, parts.topic,
                 {{"{id}", topic.id},
                  {"{address}", topic.address},
                  {"{time}", ShownTime(topic.postedTime)},
                  {"{title}", topic.title}});
  }
  page += parts.foot;
  return page;
}

text::Text MaintenancePageHtml() { return Parts().maintenance; }

text::Text ServerErrorPageHtml() { return Parts().serverError; }

}  // namespace board_server
