<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CAboutDlg</name>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>关于测试仪</source>
        <translation>About QX Logger</translation>
    </message>
    <message>
        <source>%1 版</source>
        <translation>Version %1</translation>
    </message>
</context>
<context>
    <name>qx::CHelpView</name>
    <message>
        <source>找不到帮助文件。请确认文件“%1”与程序在同一个文件夹中。</source>
        <translation>The help file cannot be found. Make sure the file &quot;%1&quot; is in the same folder as the program.</translation>
    </message>
    <message>
        <source>帮助文件不是可以显示的文件。</source>
        <translation>The help file is not a file that can be shown.</translation>
    </message>
    <message>
        <source>不能读取帮助文件:%1</source>
        <translation>Cannot read the help file: %1</translation>
    </message>
    <message>
        <source>&lt;h3&gt;无法显示操作说明&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;文件:%2&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Cannot show the user guide&lt;/h3&gt;&lt;p&gt;%1&lt;/p&gt;&lt;p&gt;File: %2&lt;/p&gt;</translation>
    </message>
    <message>
        <source>帮助文件的内容段过多。</source>
        <translation>The help file has too many parts.</translation>
    </message>
    <message>
        <source>帮助文件是空的。</source>
        <translation>The help file is empty.</translation>
    </message>
    <message>
        <source>帮助文件过大。</source>
        <translation>The help file is too large.</translation>
    </message>
    <message>
        <source>帮助文件的分段边界缺失或无效。</source>
        <translation>The help file&apos;s part boundary is missing or invalid.</translation>
    </message>
    <message>
        <source>帮助文件不是单文件网页(MHT)格式。</source>
        <translation>The help file is not a single-file web page (MHT).</translation>
    </message>
    <message>
        <source>帮助文件中没有任何内容。</source>
        <translation>The help file has no content.</translation>
    </message>
    <message>
        <source>帮助文件中没有网页内容。</source>
        <translation>The help file has no web page.</translation>
    </message>
    <message>
        <source>帮助文件的网页内容已损坏。</source>
        <translation>The help file&apos;s web page is damaged.</translation>
    </message>
</context>
<context>
    <name>qx::CMainFrame</name>
    <message>
        <source>Office 2007 (蓝色)</source>
        <translation>Office 2007 (Blue)</translation>
    </message>
    <message>
        <source>Office 2007 (黑色)</source>
        <translation>Office 2007 (Black)</translation>
    </message>
    <message>
        <source>Office 2007 (银色)</source>
        <translation>Office 2007 (Silver)</translation>
    </message>
    <message>
        <source>Office 2007 (水绿色)</source>
        <translation>Office 2007 (Aqua)</translation>
    </message>
    <message>
        <source>打开(&amp;O)...	Ctrl+O</source>
        <translation>&amp;Open...	Ctrl+O</translation>
    </message>
    <message>
        <source>导出(&amp;E)...</source>
        <translation>&amp;Export...</translation>
    </message>
    <message>
        <source>复制图形到剪贴板(&amp;C)</source>
        <translation>&amp;Copy Chart to Clipboard</translation>
    </message>
    <message>
        <source>打印(&amp;P)...	Ctrl+P</source>
        <translation>&amp;Print...	Ctrl+P</translation>
    </message>
    <message>
        <source>打印预览(&amp;V)...</source>
        <translation>Print Pre&amp;view...</translation>
    </message>
    <message>
        <source>打印设置(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>连接测试仪(&amp;C)</source>
        <translation>&amp;Connect</translation>
    </message>
    <message>
        <source>断开连接(&amp;D)</source>
        <translation>&amp;Disconnect</translation>
    </message>
    <message>
        <source>读入参数(&amp;I)</source>
        <translation>&amp;Read Settings</translation>
    </message>
    <message>
        <source>设置参数(&amp;S)...</source>
        <translation>&amp;Write Settings...</translation>
    </message>
    <message>
        <source>校正时钟(&amp;T)</source>
        <translation>Se&amp;t Clock</translation>
    </message>
    <message>
        <source>接收数据(&amp;R)</source>
        <translation>Down&amp;load Data</translation>
    </message>
    <message>
        <source>刷新(&amp;F)</source>
        <translation>Re&amp;fresh</translation>
    </message>
    <message>
        <source>停止记录(&amp;P)</source>
        <translation>Sto&amp;p Recording</translation>
    </message>
    <message>
        <source>操作说明(&amp;H)	F1</source>
        <translation>&amp;User Guide	F1</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>标题栏(&amp;C)</source>
        <translation>&amp;Caption Bar</translation>
    </message>
    <message>
        <source>统计(&amp;A)</source>
        <translation>St&amp;atistics</translation>
    </message>
    <message>
        <source>关于(&amp;A)...</source>
        <translation>&amp;About...</translation>
    </message>
    <message>
        <source>仪器通讯</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>记录查询</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>操作说明</source>
        <translation>User Guide</translation>
    </message>
    <message>
        <source>没发现设备</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>最近文件</source>
        <translation>Recent Files</translation>
    </message>
    <message>
        <source>通讯(&amp;C)</source>
        <translation>&amp;Communication</translation>
    </message>
    <message>
        <source>视图(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>System Default</translation>
    </message>
    <message>
        <source>新的语言要在程序重新启动后生效.
要现在重新启动程序吗?</source>
        <translation>The new language takes effect when the program restarts.
Restart the program now?</translation>
    </message>
    <message>
        <source>确定退出吗?</source>
        <translation>Exit the program?</translation>
    </message>
    <message>
        <source>记录文件 (*.QXRec)</source>
        <translation>Record files (*.QXRec)</translation>
    </message>
    <message>
        <source>记录文件保存为</source>
        <translation>Save Record File As</translation>
    </message>
    <message>
        <source>打开记录文件</source>
        <translation>Open Record File</translation>
    </message>
    <message>
        <source>保存(&amp;S)...	Ctrl+S</source>
        <translation>&amp;Save...	Ctrl+S</translation>
    </message>
    <message>
        <source>%1[%2](未保存)</source>
        <translation>%1[%2] (not saved)</translation>
    </message>
    <message>
        <source>下载的数据没有丢失: 记录在“%1”中打开着,标为未保存.
请用 文件 → 保存 把它保存到能写入的地方.</source>
        <translation>The downloaded data is not lost: the record is open in “%1”, marked as not saved.
Save it with File → Save where it can be written.</translation>
    </message>
    <message>
        <source>下载的记录还没有保存,放弃后不能恢复!
确定要放弃它吗?</source>
        <translation>The downloaded record has not been saved; once discarded it cannot be recovered.
Discard it?</translation>
    </message>
    <message>
        <source>%1  (未保存)</source>
        <translation>%1  (not saved)</translation>
    </message>
    <message>
        <source>%1Meter</source>
        <translation>%1</translation>
    </message>
    <message>
        <source>%1:连接&lt;联机&gt;</source>
        <translation>%1: connected</translation>
    </message>
    <message>
        <source>%1:连接&lt;未联机&gt;</source>
        <translation>%1: connected, not responding</translation>
    </message>
    <message>
        <source>记录库中没有仪器 %1</source>
        <translation>The record library holds no instrument %1</translation>
    </message>
    <message>
        <source>有几台仪器的编号是 %1:%2</source>
        <translation>Several instruments carry the instrument number %1: %2</translation>
    </message>
    <message>
        <source>仪器 %1 选了两次</source>
        <translation>The instrument %1 is chosen twice</translation>
    </message>
    <message>
        <source>记录库中没有记录 %1</source>
        <translation>The record library holds no recording %1</translation>
    </message>
    <message>
        <source>记录库</source>
        <translation>Library</translation>
    </message>
    <message>
        <source>记录库中没有 %1 在这段时间里的样本。</source>
        <translation>The record library holds no samples of %1 in that time.</translation>
    </message>
    <message>
        <source>记录库(&amp;L)</source>
        <translation>&amp;Library</translation>
    </message>
    <message>
        <source>同步到服务器</source>
        <translation>Sync to Server</translation>
    </message>
    <message>
        <source>把本机记录库中有而记录库服务器没有的发送过去</source>
        <translation>Send what the library server lacks from the local library</translation>
    </message>
    <message>
        <source>记录库不在服务器上: 没有要同步的。</source>
        <translation>The library is not on a server: there is nothing to sync.</translation>
    </message>
    <message>
        <source>正在把本机记录库同步到记录库服务器...</source>
        <translation>Syncing the local library to the library server...</translation>
    </message>
    <message>
        <source>本机记录库保存着这台计算机的下载, 几分钟后会再试。</source>
        <translation>The local library keeps the downloads of this computer; the sync is tried again in a few minutes.</translation>
    </message>
    <message>
        <source>已同步到记录库服务器: 记录 %1 个, 记录文件 %2 个, 新样本 %3 个</source>
        <translation>Synced to the library server: recordings %1, record files %2, new samples %3</translation>
    </message>
    <message>
        <source>记录库服务器已有本机记录库中的一切。</source>
        <translation>The library server has everything of the local library.</translation>
    </message>
    <message>
        <source>没有同步到记录库服务器, 几分钟后再试: %1</source>
        <translation>Not synced to the library server; trying again in a few minutes: %1</translation>
    </message>
    <message>
        <source>记录库服务器没有收到 %1, 它已在本机记录库中, 服务器能连接时会发送。</source>
        <translation>The library server did not get %1; it is in the local library and is sent once the server can be reached.</translation>
    </message>
    <message>
        <source>正在从记录库服务器读取 %1 ...</source>
        <translation>Reading %1 from the library server...</translation>
    </message>
    <message>
        <source>正在从记录库服务器读取要对比的仪器...</source>
        <translation>Reading the instruments to compare from the library server...</translation>
    </message>
</context>
<context>
    <name>qx::CQX420App</name>
    <message>
        <source>程序不能重新启动!
请再次启动程序.</source>
        <translation>The program could not be restarted.
Please start it again.</translation>
    </message>
</context>
<context>
    <name>qx::PrintPdfAtStart</name>
    <message>
        <source>文件:%1 打印失败!</source>
        <translation>File: %1 could not be printed.</translation>
    </message>
    <message>
        <source>限值必须是数字:%1</source>
        <translation>A limit must be a number: %1</translation>
    </message>
    <message>
        <source>记录库中没有仪器 %1</source>
        <translation>The record library holds no instrument %1</translation>
    </message>
    <message>
        <source>有几台仪器的编号是 %1:%2</source>
        <translation>Several instruments carry the instrument number %1: %2</translation>
    </message>
    <message>
        <source>仪器 %1 选了两次</source>
        <translation>The instrument %1 is chosen twice</translation>
    </message>
    <message>
        <source>签名密钥 %1 的口令: </source>
        <translation>Passphrase of the signing key %1: </translation>
    </message>
    <message>
        <source>没有终端可以询问口令; 用 --passphrase-file 给出口令</source>
        <translation>There is no terminal to ask for the passphrase; give it with --passphrase-file</translation>
    </message>
    <message>
        <source>已签名: 签名人 %1, 含义: %2</source>
        <translation>Signed: signer %1, meaning: %2</translation>
    </message>
</context>
<context>
    <name>qx::StartOptions</name>
    <message>
        <source>qxlog: %1 需要一个值</source>
        <translation>qxlog: %1 needs a value</translation>
    </message>
    <message>
        <source>qxlog: --report 为 list、chart、summary 或 compare, 不是 &apos;%1&apos;</source>
        <translation>qxlog: --report is list, chart, summary or compare, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>qxlog: --lang 为 zh 或 en</source>
        <translation>qxlog: --lang is zh or en</translation>
    </message>
    <message>
        <source>qxlog: &apos;%1&apos; 中有未知的型号 (请用 QX420 ... QX610 或 1..11)</source>
        <translation>qxlog: unknown model in &apos;%1&apos; (use QX420 ... QX610 or 1..11)</translation>
    </message>
    <message>
        <source>qxlog: 未知的选项 %1</source>
        <translation>qxlog: unknown option %1</translation>
    </message>
    <message>
        <source>qxlog: --report compare 需要 --series 和仪器</source>
        <translation>qxlog: --report compare needs --series and the instruments</translation>
    </message>
    <message>
        <source>qxlog: --library、--series 和 --limit 只能与 --report compare 同用</source>
        <translation>qxlog: --library, --series and --limit go with --report compare</translation>
    </message>
    <message>
        <source>qxlog: 只能打开一个记录文件</source>
        <translation>qxlog: only one record file can be opened</translation>
    </message>
    <message>
        <source>qxlog: --print-pdf 需要一个记录文件</source>
        <translation>qxlog: --print-pdf needs a record file</translation>
    </message>
    <message>
        <source>用法: qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]
      qxlog [--lang zh|en] --print-pdf OUT.pdf [--report list|chart|summary]
            RECORD-FILE
            [--last-days N | --last-months N
             | --from YYYY-MM-DD --to YYYY-MM-DD]
      qxlog [--lang zh|en] --print-pdf OUT.pdf --report compare [--library FILE]
            --series ID [--limit LOW,HIGH] INSTRUMENT... [时间范围]

  --lang zh|en       本次运行用中文或英文, 不论设置 ([Workspace] Language)
                     和区域设置如何
  --simulate MODELS  用模拟仪器代替连接的仪器: QX420 ... QX610 或 1..11,
                     以逗号分隔
  RECORD-FILE        启动时打开的记录文件 (*.QXRec)
  --print-pdf OUT    把 RECORD-FILE 的数据报表 (list, 默认)、曲线图 (chart)
                     或统计报表 (summary) 写入 PDF 文件 OUT 后退出, 不开窗口;
                     时间范围同 qxlog-cli export (没有时为全部记录)。
                     不能写入时给出原因, 退出状态为 1
  --report compare   记录库 (FILE, 否则为默认记录库) 中仪器的对比报表:
                     仪器以编号或 MODEL:NUMBER 指定, 量为 ID (temp, hum,
                     dew, ...); 限值 LOW,HIGH (任一可空) 适用于全部仪器,
                     没有时各用自己的限值
  --sign KEY.p12     给写出的 PDF 签名 (同 qxlog-cli sign): 签名密钥,
                     --meaning reviewed|approved|responsible|TEXT 为含义,
                     --passphrase-file F 为口令文件 (不给时在终端上询问)
</source>
        <translation>Usage: qxlog [--lang zh|en] [--simulate MODEL[,MODEL...]] [RECORD-FILE]
       qxlog [--lang zh|en] --print-pdf OUT.pdf [--report list|chart|summary]
             RECORD-FILE
             [--last-days N | --last-months N
              | --from YYYY-MM-DD --to YYYY-MM-DD]
       qxlog [--lang zh|en] --print-pdf OUT.pdf --report compare [--library FILE]
             --series ID [--limit LOW,HIGH] INSTRUMENT... [time window]

  --lang zh|en       Chinese or English texts for this run, whatever the setting
                     ([Workspace] Language) and the locale
  --simulate MODELS  simulated instruments instead of attached ones: QX420 ... QX610
                     or 1..11, separated by commas
  RECORD-FILE        a record file (*.QXRec) to open at start
  --print-pdf OUT    write the sample report (list, the default), the chart or
                     the statistics report (summary) of RECORD-FILE to the PDF
                     file OUT and exit, without a window;
                     the time window as in qxlog-cli export (all samples without
                     one). Exit status 1 with a message when it cannot be written
  --report compare   the comparison report of instruments of the record library
                     (FILE, else the default library), named by
                     instrument number or as MODEL:NUMBER, in the quantity ID
                     (temp, hum, dew, ...), with the limits LOW,HIGH (either
                     may be empty) for all of them or each one&apos;s own
  --sign KEY.p12     sign the PDF once written (as qxlog-cli sign): the signing
                     key, with --meaning reviewed|approved|responsible|TEXT as
                     its meaning and --passphrase-file F (else asked on the
                     terminal)
</translation>
    </message>
    <message>
        <source>qxlog: --report、时间范围和签名只能与 --print-pdf 同用</source>
        <translation>qxlog: --report, the time window and signing go with --print-pdf</translation>
    </message>
    <message>
        <source>qxlog: --sign 和 --meaning 要一起用</source>
        <translation>qxlog: --sign and --meaning go together</translation>
    </message>
</context>
</TS>
