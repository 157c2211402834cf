<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>qx::CDataView</name>
    <message>
        <source>Excel 文件(*.xlsx)</source>
        <translation>Excel Files (*.xlsx)</translation>
    </message>
    <message>
        <source>文本文件(*.txt)</source>
        <translation>Text Files (*.txt)</translation>
    </message>
    <message>
        <source>CSV 文件(*.csv)</source>
        <translation>CSV Files (*.csv)</translation>
    </message>
    <message>
        <source>表图排列</source>
        <translation>Layout</translation>
    </message>
    <message>
        <source>横排</source>
        <translation>Side by side</translation>
    </message>
    <message>
        <source>纵排</source>
        <translation>Stacked</translation>
    </message>
    <message>
        <source>显示列表</source>
        <translation>Show lists</translation>
    </message>
    <message>
        <source>显示曲线</source>
        <translation>Show chart</translation>
    </message>
    <message>
        <source>曲线图显示</source>
        <translation>Chart</translation>
    </message>
    <message>
        <source>X轴:</source>
        <translation>X axis:</translation>
    </message>
    <message>
        <source>Y轴:</source>
        <translation>Y axis:</translation>
    </message>
    <message>
        <source>节点标记</source>
        <translation>Mark points</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
</context>
<context>
    <name>qx::CLibraryView</name>
    <message>
        <source>筛选条件</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>全部型号</source>
        <translation>All models</translation>
    </message>
    <message>
        <source>时间从:</source>
        <translation>Time from:</translation>
    </message>
    <message>
        <source>只列有超限的记录</source>
        <translation>With excursions only</translation>
    </message>
    <message>
        <source>型号:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>编号:</source>
        <translation>Instrument number:</translation>
    </message>
    <message>
        <source>测量名:</source>
        <translation>Measurement name:</translation>
    </message>
    <message>
        <source>到:</source>
        <translation>to:</translation>
    </message>
    <message>
        <source>选中的记录</source>
        <translation>Selected</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>仪器历史</source>
        <translation>Instrument History</translation>
    </message>
    <message>
        <source>对比...</source>
        <translation>Compare...</translation>
    </message>
    <message>
        <source>记录库</source>
        <translation>Record library</translation>
    </message>
    <message>
        <source>加入文件夹...</source>
        <translation>Add Folder...</translation>
    </message>
    <message>
        <source>加入记录文件...</source>
        <translation>Add Record Files...</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>仪器</source>
        <translation>Instrument</translation>
    </message>
    <message>
        <source>测量名</source>
        <translation>Measurement name</translation>
    </message>
    <message>
        <source>开始时间</source>
        <translation>Start time</translation>
    </message>
    <message>
        <source>结束时间</source>
        <translation>End time</translation>
    </message>
    <message>
        <source>样本数</source>
        <translation>Samples</translation>
    </message>
    <message>
        <source>记录间隔</source>
        <translation>Recording interval</translation>
    </message>
    <message>
        <source>超限次数</source>
        <translation>Excursions</translation>
    </message>
    <message>
        <source>记录文件</source>
        <translation>Record files</translation>
    </message>
    <message>
        <source>开始日期在结束日期之后,没有记录能在这段时间里。</source>
        <translation>The start date is after the end date: no recording can lie in that time.</translation>
    </message>
    <message>
        <source>记录库里还没有记录。下载的记录保存后自动加入记录库;已有的记录文件可以用“加入文件夹...”加入。</source>
        <translation>The record library holds no recordings yet. Downloads join it once they are saved; existing record files can be added with “Add Folder...”.</translation>
    </message>
    <message numerus="yes">
        <source>%n 个记录</source>
        <translation>
            <numerusform>%n recording</numerusform>
            <numerusform>%n recordings</numerusform>
        </translation>
    </message>
    <message>
        <source>请在列表中选出要对比的仪器或记录(按住 Ctrl 可以选几个)。</source>
        <translation>Choose the instruments or recordings to compare in the list (hold Ctrl to choose several).</translation>
    </message>
    <message>
        <source>把文件夹中的记录文件加入记录库</source>
        <translation>Add the Record Files of a Folder to the Record Library</translation>
    </message>
    <message>
        <source>把记录文件加入记录库</source>
        <translation>Add Record Files to the Record Library</translation>
    </message>
    <message>
        <source>记录文件 (*.QXRec)</source>
        <translation>Record files (*.QXRec)</translation>
    </message>
    <message>
        <source>%1 个文件: 加入 %2 个, 已有 %3 个, 失败 %4 个</source>
        <translation>%1 files: %2 added, %3 already there, %4 failed</translation>
    </message>
    <message numerus="yes">
        <source>另有 %n 个文件没有加入。</source>
        <translation>
            <numerusform>%n more file was not added.</numerusform>
            <numerusform>%n more files were not added.</numerusform>
        </translation>
    </message>
    <message>
        <source>%1  仪器:%2  记录:%3</source>
        <translation>%1  Instruments: %2  Recordings: %3</translation>
    </message>
    <message>
        <source>记录库服务器现在不能使用,下面是本机记录库(这台电脑收集的记录):</source>
        <translation>The library server cannot be used now; below is the local library (the records this PC collected):</translation>
    </message>
    <message>
        <source>%1 (%2 个重叠, 不计入历史)</source>
        <translation>%1 (%2 overlapped, left out of the history)</translation>
    </message>
    <message>
        <source>正在读取记录库服务器...</source>
        <translation>Reading the library server...</translation>
    </message>
    <message>
        <source>正在把记录文件加入记录库服务器...</source>
        <translation>Adding the record files to the library server...</translation>
    </message>
</context>
<context>
    <name>qx::QueryPanel</name>
    <message>
        <source>查询时间范围</source>
        <translation>Time range</translation>
    </message>
    <message>
        <source>所有</source>
        <translation>All</translation>
    </message>
    <message>
        <source>前</source>
        <translation>Last</translation>
    </message>
    <message>
        <source>从</source>
        <translation>From</translation>
    </message>
    <message numerus="yes">
        <source>天</source>
        <translation>
            <numerusform>day</numerusform>
            <numerusform>days</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>个月</source>
        <translation>
            <numerusform>month</numerusform>
            <numerusform>months</numerusform>
        </translation>
    </message>
    <message>
        <source>至</source>
        <translation>to</translation>
    </message>
    <message>
        <source>查询</source>
        <translation>Query</translation>
    </message>
</context>
<context>
    <name>qx::StatisticsPanel</name>
    <message>
        <source>活化能ΔH(kJ/mol):</source>
        <translation>Activation energy ΔH (kJ/mol):</translation>
    </message>
    <message>
        <source>统计</source>
        <translation>Statistics</translation>
    </message>
    <message>
        <source>超限记录(双击定位)</source>
        <translation>Excursions (double-click to locate)</translation>
    </message>
    <message>
        <source>活化能“%1”不是数字</source>
        <translation>Activation energy &quot;%1&quot; is not a number</translation>
    </message>
    <message>
        <source>活化能须在 %1 到 %2 kJ/mol 之间</source>
        <translation>Activation energy must be between %1 and %2 kJ/mol</translation>
    </message>
    <message>
        <source>%1的下限“%2”不是数字</source>
        <translation>Low limit of %1 &quot;%2&quot; is not a number</translation>
    </message>
    <message>
        <source>%1的上限“%2”不是数字</source>
        <translation>High limit of %1 &quot;%2&quot; is not a number</translation>
    </message>
</context>
</TS>
